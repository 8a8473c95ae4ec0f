// A normal change detection pass over a real unchanged tree (BENCH_TREE), the matching of a
// million records through the index, and a tick with nothing seen.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "core/AppPaths.h"
#include "core/Settings.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "detect/SessionHost.h"
#include "detect/SnapshotIndex.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;

namespace {

class IdleHost : public SessionHost {
 public:
  void StartTimer(int) override {}
  void KillTimer() override {}
  void PullFolderTexts() override {}
  void SetRunningControls(bool) override {}
  void HideToTray() override {}
};

// Load, rescan, compare, save: the whole pass that a tick runs when the flag is up.
void BM_NormalPassUnchanged(benchmark::State& state) {
  const char* tree = std::getenv("BENCH_TREE");
  if (tree == nullptr) {
    state.SkipWithError("set BENCH_TREE to a folder (scripts/bench-pass.sh does)");
    return;
  }
  test::TempDir home;
  test::TempDir backup;
  Settings settings;
  settings.DIR1 = tree;
  settings.DIR2 = backup.path();
  const AppPaths paths = AppPaths::InFolder(home.path());
  test::RecordingUi ui;
  IdleHost host;
  MonitorSession session(settings, paths, ui, host);
  session.DetectChanges(tree, 0);
  for (auto _ : state) session.DetectChanges(tree, 1);
  state.counters["changes"] = session.Detector().LastChangeCount();
}
BENCHMARK(BM_NormalPassUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();

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

// The comparison alone: index the previous snapshot, look up every record of the new one.
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
  g_changeSeen = 0;
  for (auto _ : state) session.OnMonitorTick();
}
BENCHMARK(BM_IdleTick);

}  // namespace
