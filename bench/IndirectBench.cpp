// What looking again at links to files and files with other names costs at each tick and pass:
// the same number of such files in trees of growing size, and more of them in one tree.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "IdleHost.h"
#include "core/AppPaths.h"
#include "core/Settings.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;

namespace {

using bench::IdleHost;

// files plain files in folders of 50, and links links to them, half of them hard links.
void MakeTree(const std::string& root, int files, int links) {
  namespace fs = std::filesystem;
  for (int i = 0; i < files; ++i) {
    const std::string folder = root + "/d" + std::to_string(i / 50);
    if (i % 50 == 0) fs::create_directories(folder);
    std::ofstream(folder + "/f" + std::to_string(i) + ".txt") << i;
  }
  fs::create_directories(root + "/links");
  for (int i = 0; i < links; ++i) {
    const std::string target = root + "/d" + std::to_string(i / 50) + "/f" + std::to_string(i) + ".txt";
    const std::string name = root + "/links/l" + std::to_string(i) + ".txt";
    if (i % 2 == 0) {
      fs::create_symlink(target, name);
    } else {
      fs::create_hard_link(target, name);
    }
  }
}

// A session over such a tree with its baseline taken; made once for each size, as the
// benchmark runs its function several times.
struct TreeSession {
  test::TempDir tree, home, backup;
  Settings settings;
  AppPaths paths = AppPaths::InFolder(home.path());
  test::RecordingUi ui;
  IdleHost host;
  std::unique_ptr<MonitorSession> session;

  TreeSession(int files, int links) {
    MakeTree(tree.path(), files, links);
    settings.DIR1 = tree.path();
    settings.DIR2 = backup.path();
    session = std::make_unique<MonitorSession>(settings, paths, ui, host);
    session->DetectChanges(tree.path(), 0);
  }
};

// The look a tick takes when no event came: args are the tree's files and its links.
void BM_LookAgainAtLinks(benchmark::State& state) {
  static std::map<std::pair<std::int64_t, std::int64_t>, std::unique_ptr<TreeSession>> sessions;
  auto& made = sessions[{state.range(0), state.range(1)}];
  if (!made) made = std::make_unique<TreeSession>(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  bool changed = false;
  for (auto _ : state) changed = made->session->Detector().IndirectFilesChanged() || changed;
  if (changed) state.SkipWithError("nothing changed, yet a look found a change");
}
BENCHMARK(BM_LookAgainAtLinks)
    ->Args({10'000, 100})
    ->Args({50'000, 100})
    ->Args({50'000, 1'000})
    ->Args({50'000, 5'000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
