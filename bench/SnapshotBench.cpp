// The scan of a real tree (BENCH_TREE) and the snapshot file at a million records.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <string>

#include "detect/FolderScanner.h"
#include "detect/SnapshotFile.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;

namespace {

Snapshot MakeSnapshot(std::size_t records) {
  Snapshot s;
  s.reserve(records);
  SharedFolder folder;
  for (std::size_t i = 0; i < records; ++i) {
    if (i % 20 == 0)
      folder = SharedFolder("/home/user/data/project" + std::to_string(i / 20 % 1000) + "/sub" +
                            std::to_string(i / 20) + "/");
    CElement& e = s.emplace_back();
    e.m_strStamp = "20120917143005";
    e.m_strName = "file" + std::to_string(i % 20) + ".txt";
    e.m_dwSize = static_cast<std::uint32_t>(i * 13);
    e.m_ftWrite = 129925000000000000ULL + i;
    e.m_strFolder = folder;
  }
  return s;
}

std::size_t HeapInUse() {
  const auto info = mallinfo2();
  return info.uordblks + info.hblkhd;  // large arrays live in mmap'd blocks
}

void BM_ScanTree(benchmark::State& state) {
  const char* tree = std::getenv("BENCH_TREE");
  if (tree == nullptr) {
    state.SkipWithError("set BENCH_TREE to a folder (scripts/bench-foundation.sh does)");
    return;
  }
  test::RecordingUi ui;
  std::size_t files = 0;
  for (auto _ : state) {
    FolderScanner scanner(ui);
    Snapshot snapshot;
    scanner.SetLevelPath(0, std::string(tree) + "/");
    benchmark::DoNotOptimize(scanner.ScanFolder(0, snapshot));
    files = snapshot.size();
  }
  state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_ScanTree)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveSnapshot(benchmark::State& state) {
  const Snapshot s = MakeSnapshot(static_cast<std::size_t>(state.range(0)));
  test::TempDir dir;
  test::RecordingUi ui;
  for (auto _ : state) benchmark::DoNotOptimize(SaveSnapshot(dir / "test2.dat", s, ui));
  state.counters["records"] = static_cast<double>(s.size());
}
BENCHMARK(BM_SaveSnapshot)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EncodeSnapshot(benchmark::State& state) {
  const Snapshot s = MakeSnapshot(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(EncodeSnapshot(s));
}
BENCHMARK(BM_EncodeSnapshot)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadSnapshot(benchmark::State& state) {
  test::TempDir dir;
  test::RecordingUi ui;
  const std::size_t records = static_cast<std::size_t>(state.range(0));
  SaveSnapshot(dir / "test2.dat", MakeSnapshot(records), ui);
  double bytesPerRecord = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    Snapshot loaded;
    benchmark::DoNotOptimize(LoadSnapshot(dir / "test2.dat", loaded));
    bytesPerRecord = static_cast<double>(HeapInUse() - before) / static_cast<double>(records);
  }
  state.counters["heap_bytes_per_record"] = bytesPerRecord;
}
BENCHMARK(BM_LoadSnapshot)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
