// The local time of the files of one folder (1,000 files), with the offset in force at each
// file's time, beside one offset for the whole folder; in a zone with daylight saving.
// Times either of one day (a checkout) or spread over three years (photos, mail).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "platform/FileTime.h"

using namespace talvenor::platform;

namespace {

constexpr int kFiles = 1000;

std::vector<FileTime> Times(bool spread) {
  ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  ::tzset();
  std::mt19937_64 random(7);
  std::vector<FileTime> times;
  for (int i = 0; i < kFiles; ++i) {
    const std::int64_t range = spread ? 3 * 365 * 86400LL : 3600;
    times.push_back(ToFileTime(1700000000 + static_cast<std::int64_t>(random() % range), 0));
  }
  return times;
}

void BM_LocalTimeOfEachFile(benchmark::State& state) {
  const std::vector<FileTime> times = Times(state.range(0) != 0);
  for (auto _ : state) {
    LocalFileTimes listing;  // one a folder, as the scan has it
    for (const FileTime t : times) benchmark::DoNotOptimize(listing.ToLocal(t));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_LocalTimeOfEachFile)->ArgName("spread")->Arg(0)->Arg(1);

void BM_OneOffsetForTheFolder(benchmark::State& state) {
  const std::vector<FileTime> times = Times(state.range(0) != 0);
  for (auto _ : state) {
    const long offset = CurrentUtcOffsetSeconds();
    for (const FileTime t : times) benchmark::DoNotOptimize(ShiftFileTime(t, offset));
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_OneOffsetForTheFolder)->ArgName("spread")->Arg(0)->Arg(1);

}  // namespace
