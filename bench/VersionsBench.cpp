// The versions of a file: listing them from 1,000 generations whose records name 1,000,000
// copies in all, and what writing the record costs a pass that copies 10,000 small files.
// scripts/bench-versions.sh runs both and prints the figures.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "IdleHost.h"
#include "backup/BackupStore.h"
#include "backup/GenerationRecord.h"
#include "backup/VersionList.h"
#include "changelog/ChangeLog.h"
#include "core/AppPaths.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;
namespace fs = std::filesystem;

namespace {

using bench::IdleHost;

constexpr int kGenerations = 1000;
constexpr int kCopiesEach = 1000;

std::string SourceOf(int file) {
  return "/home/user/Documents/project-" + std::to_string(file / 400) + "/src/module-" + std::to_string(file / 20) +
         "/file-" + std::to_string(file) + ".txt";
}

// BENCH_VERSIONS_DIR (made once, kept for the next run), else a temporary folder. Every
// generation records 1,000 copies, one of them of the file looked for; that copy exists.
std::string BackupFolder() {
  static std::unique_ptr<test::TempDir> temporary;
  static std::string folder;
  if (!folder.empty()) return folder;
  const char* given = std::getenv("BENCH_VERSIONS_DIR");
  if (given == nullptr) temporary = std::make_unique<test::TempDir>();
  folder = given ? std::string(given) : temporary->path();
  if (fs::exists(folder + "/done")) return folder;
  fs::create_directories(folder);
  for (int g = 0; g < kGenerations; ++g) {
    char name[32];
    std::snprintf(name, sizeof name, "2012%02d%02d%02d%02d00.0", 1 + g / 300 % 12, 1 + g / 12 % 28, g / 60 % 24,
                  g % 60);
    const std::string generation = folder + "/" + name;
    fs::create_directory(generation);
    std::string record;
    for (int c = 0; c < kCopiesEach; ++c) {
      const int file = (g * 7 + c) % 5000;  // the same files changing pass after pass
      record +=
          GenerationRecord::FormatLine({SourceOf(file), 1234, 1347859805, 0, "file-" + std::to_string(file) + ".txt"});
    }
    record += GenerationRecord::FormatLine({SourceOf(99999), 42, 1347859805, 0, "wanted.txt"});
    std::ofstream(generation + "/" + GenerationRecord::kFileName) << record;
    std::ofstream(generation + "/wanted.txt") << std::string(42, 'w');
  }
  std::ofstream(folder + "/done") << "made";
  return folder;
}

void BM_ListVersions(benchmark::State& state) {
  const std::string backup = BackupFolder();
  std::size_t found = 0;
  for (auto _ : state) found = ListVersions(backup, SourceOf(99999), "").versions.size();
  if (found != kGenerations) state.SkipWithError("not every version was found");
  state.counters["copies"] = static_cast<double>(kGenerations) * (kCopiesEach + 1);
  state.counters["versions"] = static_cast<double>(found);
}
BENCHMARK(BM_ListVersions)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the record alone costs a pass of 10,000 copies: its lines made and appended one by one,
// into a generation folder on BENCH_SMALL_BACKUP's disk.
void BM_RecordTenThousandCopies(benchmark::State& state) {
  const char* backup = std::getenv("BENCH_SMALL_BACKUP");
  if (backup == nullptr) {
    state.SkipWithError("set BENCH_SMALL_BACKUP (scripts/bench-versions.sh does)");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    const std::string folder = std::string(backup) + "/20120917143005.0";
    fs::remove_all(folder);
    fs::create_directory(folder);
    const platform::FolderHandle generation = platform::FolderHandle::Open(folder);
    GenerationRecord record;
    state.ResumeTiming();
    for (int i = 0; i < 10000; ++i)
      record.Add(generation, {"/home/user/data/dir" + std::to_string(i / 100) + "/file" + std::to_string(i) + ".txt",
                              2048, 1347859805, 123456789, "file" + std::to_string(i) + ".txt"});
  }
}
BENCHMARK(BM_RecordTenThousandCopies)->Unit(benchmark::kMillisecond)->UseRealTime();

// A pass against no snapshot over BENCH_SMALL_TREE, so that every file is copied, into a
// fresh BENCH_SMALL_BACKUP: the copies, their log lines, the snapshot save and the flush.
// state.range(0): 1 with the record, 0 without.
void BM_PassCopyingSmallFiles(benchmark::State& state) {
  const char* tree = std::getenv("BENCH_SMALL_TREE");
  const char* backup = std::getenv("BENCH_SMALL_BACKUP");
  if (tree == nullptr || backup == nullptr) {
    state.SkipWithError("set BENCH_SMALL_TREE and BENCH_SMALL_BACKUP (scripts/bench-versions.sh does)");
    return;
  }
  Settings settings;
  settings.DIR1 = tree;
  settings.DIR2 = backup;
  settings.LOGSZ = 10000;
  settings.BAKSZ = 1000;
  test::RecordingUi ui;
  IdleHost host;
  int changes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& e : fs::directory_iterator(backup)) fs::remove_all(e.path());
    test::TempDir home;
    const AppPaths paths = AppPaths::InFolder(home.path());
    MonitorSession session(settings, paths, ui, host);
    session.Backup().SetRecordKeeping(state.range(0) != 0);
    session.Log().OpenOrTerminate(paths.g_logPath);
    ::sync();  // the last round's writes are not charged to this one
    state.ResumeTiming();
    session.DetectChanges(settings.DIR1, 1);
    changes = session.Detector().LastChangeCount();
  }
  state.counters["copies"] = changes;
}
BENCHMARK(BM_PassCopyingSmallFiles)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
