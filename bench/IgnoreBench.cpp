// The patterns of ".talvenorignore" on the scan's hot path: a million paths against twenty
// patterns of the usual kind, and the scan of a real tree (BENCH_TREE) with them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "detect/FolderScanner.h"
#include "detect/IgnoreRules.h"
#include "support/RecordingUi.h"

using namespace talvenor;

namespace {

constexpr const char* kPatterns =
    "# a project's build output, caches and editors' files\n"
    "node_modules/\nbuild/\ndist/\n__pycache__/\n.cache/\n"
    "*.o\n*.pyc\n*.class\n*.log\n!important.log\n*.swp\n*~\n.DS_Store\n"
    "/tmp\n/coverage/\n**/generated/**\ndocs/**/*.pdf\n*.[ao]\n[Bb]in/\nout-?"
    "?/\n";

// Paths of one to six parts from folder and file names of a source tree, a few of them left out.
std::vector<std::string> MakePaths(std::size_t count) {
  const char* folders[] = {"src", "lib", "include", "test", "docs", "app", "core", "util", "vendor", "assets"};
  const char* names[] = {"main.c",  "util.h",    "index.js",  "README.md", "data.json", "a.o",
                         "mod.pyc", "notes.txt", "image.png", "Makefile",  "run.log",   "x.cpp"};
  std::mt19937 random(1);
  std::vector<std::string> paths;
  paths.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::string path;
    for (int depth = static_cast<int>(random() % 6); depth > 0; --depth) {
      path += folders[random() % std::size(folders)];
      path += std::to_string(random() % 30);
      path += '/';
    }
    path += std::to_string(i % 1000) + names[random() % std::size(names)];
    paths.push_back(std::move(path));
  }
  return paths;
}

// withParents 0: each entry alone, as the scan asks; 1: with its folders, as the watcher asks.
void BM_IgnoreMatch(benchmark::State& state) {
  const IgnoreRules rules(kPatterns);
  const std::vector<std::string> paths = MakePaths(1'000'000);
  const bool withParents = state.range(0) != 0;
  std::size_t excluded = 0;
  for (auto _ : state) {
    excluded = 0;
    for (const std::string& path : paths) {
      excluded += withParents ? rules.ExcludedWithParents(path, false) : rules.Excluded(path, false);
    }
    benchmark::DoNotOptimize(excluded);
  }
  state.counters["entries"] = static_cast<double>(paths.size());
  state.counters["left_out"] = static_cast<double>(excluded);
}
BENCHMARK(BM_IgnoreMatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The scan of BENCH_TREE without patterns (0) and with the twenty above (1).
void BM_IgnoringScan(benchmark::State& state) {
  const char* tree = std::getenv("BENCH_TREE");
  if (tree == nullptr) {
    state.SkipWithError("set BENCH_TREE to a folder (scripts/bench-ignore.sh does)");
    return;
  }
  test::RecordingUi ui;
  const std::string root = std::string(tree) + "/";
  const auto rules = std::make_shared<const IgnoreRules>(state.range(0) != 0 ? kPatterns : "");
  std::size_t files = 0;
  for (auto _ : state) {
    FolderScanner scanner(ui);
    scanner.SetIgnoreRules(rules, root);
    Snapshot snapshot;
    scanner.SetLevelPath(0, root);
    benchmark::DoNotOptimize(scanner.ScanFolder(0, snapshot));
    files = snapshot.size();
  }
  state.counters["entries"] = static_cast<double>(files);
  state.counters["left_out"] = 0;
}
BENCHMARK(BM_IgnoringScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
