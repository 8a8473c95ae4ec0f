// One pass copying N files of one name (index.html in N folders) into one generation: the time
// per copy stays flat as N grows when finding a free copy name costs one look per copy.
// scripts/bench-same-names.sh prints the figures.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "backup/BackupStore.h"
#include "platform/FileSystem.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;
namespace fs = std::filesystem;

namespace {

void BM_SameNameCopies(benchmark::State& state) {
  const auto count = static_cast<int>(state.range(0));
  const char* base = std::getenv("BENCH_SAME_NAMES_DIR");
  const test::TempDir work(base != nullptr ? base : "/var/tmp");
  for (int i = 0; i < count; ++i) work.Write("src/" + std::to_string(i) + "/index.html", "<p>" + std::to_string(i));
  const std::string backup = work.MakeFolder("bk");

  Settings settings;
  settings.DIR2 = backup;
  test::RecordingUi ui;
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& e : fs::directory_iterator(backup)) fs::remove_all(e.path());
    BackupStore store(settings, ui);
    state.ResumeTiming();
    std::string destination, generation;
    int copied = 0;
    for (int i = 0; i < count; ++i)
      copied += store.BackupFile(work / ("src/" + std::to_string(i) + "/"), "index.html", i == 0 ? 0 : 1, destination,
                                 generation);
    if (copied != count) state.SkipWithError("a copy failed");
  }
  state.counters["per_copy_us"] = benchmark::Counter(
      static_cast<double>(count) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_SameNameCopies)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
