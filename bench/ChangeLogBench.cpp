// Appending 100,000 lines to a change log held at its 10 MB limit, so every line cuts the
// oldest one; and, for scale, what one such cut costs when the whole log is rewritten.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "changelog/ChangeLog.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;

namespace {

constexpr int kLogSz = 10000;  // 10,240,000 bytes

std::string Line(long i) {
  std::string line = "report" + std::to_string(i) + ".txt,/home/user/data/project/sub/report" + std::to_string(i) +
                     ".txt,/var/backup/20120917143005.0/report" + std::to_string(i) + ".txt";
  return line;
}

// A log just under the limit, as after a long run.
void FillLog(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::size_t size = 0;
  for (long i = 0;; ++i) {
    const std::string line = Line(i) + "\r\n";
    if (size + line.size() > static_cast<std::size_t>(kLogSz) * 1024) break;
    out << line;
    size += line.size();
  }
}

void BM_AppendAtLimit(benchmark::State& state) {
  const long lines = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    test::TempDir dir;
    const AppPaths paths = AppPaths::InFolder(dir.path());
    FillLog(paths.g_logPath);
    Settings settings;
    settings.LOGSZ = kLogSz;
    test::RecordingUi ui;
    {
      ChangeLog log(paths, settings, ui);
      state.ResumeTiming();
      for (long i = 0; i < lines; ++i) log.AppendLogLine(paths.g_logPath, Line(1000000 + i));
      log.Close();
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(lines * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_AppendAtLimit)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The rule done literally: copy the log aside and rewrite it without its first line.
void BM_LiteralCutOfOneLine(benchmark::State& state) {
  test::TempDir dir;
  const std::string log = dir / "log.csv";
  FillLog(log);
  for (auto _ : state) {
    std::filesystem::copy_file(log, log + ".tmp", std::filesystem::copy_options::overwrite_existing);
    std::ifstream in(log + ".tmp", std::ios::binary);
    std::ofstream out(log, std::ios::binary | std::ios::trunc);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) out << line << '\n';
    out << Line(0) << "\r\n";
  }
}
BENCHMARK(BM_LiteralCutOfOneLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
