// How long the main window's event loop goes unanswered while a first pass copies every file
// of a real tree (BENCH_TREE): a zero-interval timer fires at every turn of the loop, and the
// longest gap between two turns (the pass's start and end count as turns) is the stall a user
// would feel on a click or on the tray menu.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/SettingsStore.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "support/TempDir.h"
#include "ui/CMonitorDlg.h"
#include "ui/MessageBox.h"
#include "ui/TrayIcon.h"

using namespace talvenor;

namespace {

using Clock = std::chrono::steady_clock;

QApplication& Application() {
  static int argc = 1;
  static char name[] = "talvenor";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    auto* made = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return made;
  }();
  return *app;
}

void BM_WindowStallDuringFirstPass(benchmark::State& state) {
  const char* tree = std::getenv("BENCH_TREE");
  if (tree == nullptr) {
    state.SkipWithError("set BENCH_TREE to a folder (scripts/bench-window.sh does)");
    return;
  }
  Application();
  ui::MessageBox::AnswerWithoutShowing(true);
  double stallMs = 0, stallEndMs = 0, passMs = 0;
  long turns = 0, copies = 0;
  for (auto _ : state) {
    state.PauseTiming();
    test::TempDir config, home, backup;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(home.path());
    SettingsStore store("talvenor");
    Settings settings;
    settings.DIR1 = tree;
    settings.DIR2 = backup.path();
    settings.FIRST = 1;
    settings.BAKSZ = 1000;
    // The log limit in KiB (BENCH_LOGSZ, 100 by default as in a fresh profile): at 10 MB the
    // log's rewrites after its limit are the largest single steps of a pass.
    const char* logSize = std::getenv("BENCH_LOGSZ");
    settings.LOGSZ = logSize != nullptr ? std::atoi(logSize) : 100;
    store.Save(settings);
    auto dlg = std::make_unique<ui::CMonitorDlg>(store, std::vector<std::string>{}, nullptr);
    dlg->OnInitDialog();
    QApplication::processEvents();

    Clock::time_point last, start, longestEnd;
    Clock::duration longest{};
    long fired = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
      const auto now = Clock::now();
      if (now - last > longest) {
        longest = now - last;
        longestEnd = now;
      }
      last = now;
      ++fired;
    });
    turn.start();
    state.ResumeTiming();
    start = Clock::now();
    last = start;
    dlg->Session().DetectChanges(tree, 1);
    const auto end = Clock::now();
    if (end - last > longest) {
      longest = end - last;
      longestEnd = end;
    }
    state.PauseTiming();
    turn.stop();
    stallMs = std::max(stallMs, std::chrono::duration<double, std::milli>(longest).count());
    stallEndMs = std::chrono::duration<double, std::milli>(longestEnd - start).count();
    passMs = std::chrono::duration<double, std::milli>(end - start).count();
    turns = fired;
    copies = dlg->Session().Detector().LastChangeCount() - dlg->Session().Detector().LastBackupFailures();
    dlg.reset();
    std::filesystem::current_path(previous);
    state.ResumeTiming();
  }
  state.counters["longest_stall_ms"] = stallMs;
  state.counters["pass_ms"] = passMs;
  // Where in the pass the longest stall ended, from its start.
  state.counters["stall_ended_at_ms"] = stallEndMs;
  state.counters["loop_turns"] = static_cast<double>(turns);
  state.counters["copies"] = static_cast<double>(copies);
}
BENCHMARK(BM_WindowStallDuringFirstPass)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
