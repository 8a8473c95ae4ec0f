// One generation of many copies (BENCH_BACKUP_SRC into BENCH_BACKUP_DST), with and without
// the durability step. scripts/bench-backup.sh runs it beside cp -p on the same disk.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "backup/BackupStore.h"
#include "platform/FileSystem.h"
#include "support/RecordingUi.h"

using namespace talvenor;
namespace fs = std::filesystem;

namespace {

void BackupGeneration(benchmark::State& state, bool flush) {
  const char* src = std::getenv("BENCH_BACKUP_SRC");
  const char* dst = std::getenv("BENCH_BACKUP_DST");
  if (src == nullptr || dst == nullptr) {
    state.SkipWithError("set BENCH_BACKUP_SRC and BENCH_BACKUP_DST (scripts/bench-backup.sh does)");
    return;
  }
  std::vector<std::string> names;
  std::uint64_t bytes = 0;
  for (const auto& e : fs::directory_iterator(src)) {
    if (!e.is_regular_file()) continue;
    names.push_back(e.path().filename().string());
    bytes += e.file_size();
  }
  std::sort(names.begin(), names.end());
  const std::string folder = std::string(src) + "/";

  Settings settings;
  settings.DIR2 = dst;
  test::RecordingUi ui;
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& e : fs::directory_iterator(dst)) fs::remove_all(e.path());
    platform::SyncFileSystemOf(dst);  // the last round's writes are not charged to this one
    BackupStore store(settings, ui);
    state.ResumeTiming();
    std::string destination, generation;
    int copied = 0;
    for (std::size_t i = 0; i < names.size(); ++i)
      copied += store.BackupFile(folder, names[i], i == 0 ? 0 : 1, destination, generation);
    if (flush && !store.FlushCopies()) state.SkipWithError("FlushCopies failed");
    if (copied != static_cast<int>(names.size())) state.SkipWithError("a copy failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["files"] = static_cast<double>(names.size());
}

void BM_BackupGeneration(benchmark::State& state) { BackupGeneration(state, false); }
void BM_BackupGenerationFlushed(benchmark::State& state) { BackupGeneration(state, true); }

BENCHMARK(BM_BackupGeneration)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_BackupGenerationFlushed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
