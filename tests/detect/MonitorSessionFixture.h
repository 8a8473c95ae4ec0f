#pragma once
// A monitoring session on real temporary folders: a watched tree, a backup folder and a
// home folder for "log.csv" and "test2.dat", with the window replaced by a recording host.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "backup/GenerationOrder.h"
#include "backup/GenerationRecord.h"
#include "core/AppPaths.h"
#include "core/Settings.h"
#include "detect/MonitorSession.h"
#include "detect/SessionHost.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace talvenor::test {

class RecordingHost : public SessionHost {
 public:
  std::vector<std::string> calls;
  int timerMs = 0;
  std::function<void()> onStartTimer;
  void StartTimer(int milliseconds) override {
    if (onStartTimer) onStartTimer();
    timerMs = milliseconds;
    calls.push_back("timer:" + std::to_string(milliseconds));
  }
  void KillTimer() override {
    timerMs = 0;
    calls.push_back("kill-timer");
  }
  int saveTimerMs = 0;
  void StartSaveTimer(int milliseconds) override { saveTimerMs = milliseconds; }
  void KillSaveTimer() override { saveTimerMs = 0; }
  void PullFolderTexts() override { calls.push_back("pull"); }
  void SetRunningControls(bool running) override { calls.push_back(running ? "running" : "stopped"); }
  void HideToTray() override { calls.push_back("hide"); }
};

// A recording user interface that can act in the middle of the engine's calls.
class HookedUi : public RecordingUi {
 public:
  std::function<void()> onInsertRow;
  std::function<void()> onPump;
  void InsertRow(int index, const std::string& name, const std::string& path, const std::string& destination) override {
    RecordingUi::InsertRow(index, name, path, destination);
    if (onInsertRow) onInsertRow();
  }
  void ProgressPump(bool cancelOnEsc) override {
    RecordingUi::ProgressPump(cancelOnEsc);
    if (onPump) onPump();
  }
};

class MonitorSessionFixture : public ::testing::Test {
 protected:
  MonitorSessionFixture() {
    settings.DIR1 = watch.path();
    settings.DIR2 = backup.path();
  }

  // The names inside a folder of the backup side, sorted: the generations, oldest first, or
  // the copies inside one generation. The file that keeps the order of generations is no
  // generation.
  std::vector<std::string> Generations(const std::string& generation = "") const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(backup / generation)) {
      if (generation.empty() && entry.path().filename() == GenerationOrder::kFileName) continue;
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // The generation's record is no copy.
  std::vector<std::string> CopiesIn(const std::string& generation) const {
    std::vector<std::string> names = Generations(generation);
    std::erase(names, GenerationRecord::kFileName);
    return names;
  }
  // The copies of the only generation; a single odd name when there is not exactly one.
  std::vector<std::string> OnlyGenerationCopies() const {
    const auto generations = Generations();
    if (generations.size() == 1) return CopiesIn(generations[0]);
    return {std::to_string(generations.size()) + " generations"};
  }
  // Waits for the watcher thread to raise the change flag.
  static bool WaitForFlag(const MonitorSession& of) {
    for (int i = 0; i < 300 && !of.ChangeSeen(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return of.ChangeSeen();
  }
  bool WaitForFlag() const { return WaitForFlag(session); }

  TempDir watch;
  TempDir backup;
  TempDir home;
  Settings settings;
  AppPaths paths = AppPaths::InFolder(home.path());
  HookedUi ui;
  RecordingHost host;
  MonitorSession session{settings, paths, ui, host};
};

}  // namespace talvenor::test
