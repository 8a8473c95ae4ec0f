// The change detection pass over a real tree (BENCH_TREE): a whole pass over an unchanged tree,
// a pass after one file changed (the folder listed again, the copy, the log line and the save
// of the whole snapshot), the save alone, the matching of a million records through the index,
// and a tick with nothing seen.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "IdleHost.h"
#include "core/AppPaths.h"
#include "core/Settings.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "detect/SnapshotFile.h"
#include "detect/SnapshotIndex.h"
#include "detect/SnapshotTree.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;

namespace {

using bench::IdleHost;

// A session over BENCH_TREE with its baseline taken.
struct TreeSession {
  test::TempDir home;
  test::TempDir backup;
  Settings settings;
  AppPaths paths;
  test::RecordingUi ui;
  IdleHost host;
  std::unique_ptr<MonitorSession> session;
  std::string tree;

  explicit TreeSession(const char* root) : paths(AppPaths::InFolder(home.path())), tree(root) {
    settings.DIR1 = tree;
    settings.DIR2 = backup.path();
    session = std::make_unique<MonitorSession>(settings, paths, ui, host);
    session->DetectChanges(tree, 0);
  }
};

const char* Tree(benchmark::State& state) {
  const char* tree = std::getenv("BENCH_TREE");
  if (tree == nullptr) state.SkipWithError("set BENCH_TREE to a folder (scripts/bench-pass.sh does)");
  return tree;
}

// Scan everything, compare with the held snapshot: Start's, the hourly and --once's pass.
void BM_WholePassUnchanged(benchmark::State& state) {
  const char* tree = Tree(state);
  if (tree == nullptr) return;
  TreeSession s(tree);
  for (auto _ : state) s.session->DetectChanges(tree, 1);
  state.counters["changes"] = s.session->Detector().LastChangeCount();
}
BENCHMARK(BM_WholePassUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

// One file of the tree written again between passes; the watcher would name its folder.
void BM_PassAfterOneFileChanged(benchmark::State& state) {
  const char* tree = Tree(state);
  if (tree == nullptr) return;
  TreeSession s(tree);
  const std::string folder = std::string(tree) + "/";
  const std::string file = folder + "bench-changed.txt";
  platform::TouchedFolders touched;
  touched.listed.insert(folder);
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(file, std::ios::trunc) << std::string(1 + round++ % 50, 'x');
    state.ResumeTiming();
    s.session->Detector().DetectChanges(tree, 1, touched);
  }
  std::remove(file.c_str());
  // The csv report takes no counter that the first benchmark lacks.
  state.counters["changes"] = s.session->Detector().LastPassWasWhole() ? -1 : s.session->Detector().LastChangeCount();
}
BENCHMARK(BM_PassAfterOneFileChanged)->Unit(benchmark::kMillisecond);

// What the pass above spends on writing the snapshot file: every record, atomically.
void BM_SaveHeldSnapshot(benchmark::State& state) {
  const char* tree = Tree(state);
  if (tree == nullptr) return;
  TreeSession s(tree);
  const FolderNode* held = s.session->Detector().HeldSnapshot();
  const auto produce = [held](const std::function<bool(std::string_view)>& put) { return EncodeTree(*held, put); };
  for (auto _ : state) SaveSnapshotPieces(s.paths.g_snapshotPath, produce, s.ui);
}
BENCHMARK(BM_SaveHeldSnapshot)->Unit(benchmark::kMillisecond);

Snapshot MakeSnapshot(std::size_t records) {
  Snapshot s;
  s.reserve(records);
  SharedFolder folder;
  for (std::size_t i = 0; i < records; ++i) {
    if (i % 20 == 0)
      folder = SharedFolder("/home/user/data/dir" + std::to_string(i / 400) + "/sub" + std::to_string(i / 20) + "/");
    CElement& e = s.emplace_back();
    e.m_strName = "file" + std::to_string(i % 20) + ".txt";
    e.m_dwSize = static_cast<std::uint32_t>(i % 97);
    e.m_ftWrite = 133000000000000000ULL + i;
    e.m_strFolder = folder;
  }
  return s;
}

// The comparison against a snapshot read from the file: index it, look up every record.
void BM_MatchUnchanged(benchmark::State& state) {
  const Snapshot previous = MakeSnapshot(static_cast<std::size_t>(state.range(0)));
  const Snapshot current = MakeSnapshot(static_cast<std::size_t>(state.range(0)));
  std::size_t found = 0;
  for (auto _ : state) {
    const SnapshotIndex index(previous);
    found = 0;
    for (const CElement& record : current) found += index.Contains(record) ? 1 : 0;
    benchmark::DoNotOptimize(found);
  }
  if (found != current.size()) state.SkipWithError("an unchanged record was not found");
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_MatchUnchanged)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a tick costs while nothing changes.
void BM_IdleTick(benchmark::State& state) {
  test::TempDir home, watch, backup;
  Settings settings;
  settings.DIR1 = watch.path();
  settings.DIR2 = backup.path();
  const AppPaths paths = AppPaths::InFolder(home.path());
  test::RecordingUi ui;
  IdleHost host;
  MonitorSession session(settings, paths, ui, host);
  for (auto _ : state) session.OnMonitorTick();
}
BENCHMARK(BM_IdleTick);

}  // namespace
