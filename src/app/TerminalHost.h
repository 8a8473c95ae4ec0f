#pragma once
// The session host of the headless mode: the monitoring timer runs on the main thread, which
// otherwise waits for SIGINT, SIGTERM or SIGHUP. There are no controls and no tray.
#include <chrono>
#include <functional>

#include "detect/SessionHost.h"

namespace talvenor {

class TerminalHost : public SessionHost {
 public:
  void StartTimer(int milliseconds) override;
  void KillTimer() override { m_interval = std::chrono::milliseconds(0); }
  void StartSaveTimer(int milliseconds) override;
  void KillSaveTimer() override { m_saveInterval = std::chrono::milliseconds(0); }
  void PullFolderTexts() override {}
  void SetRunningControls(bool) override {}
  void HideToTray() override {}
  void StatusChanged(const InstanceStatus& status) override {
    if (onStatus) onStatus(status);
  }
  std::function<void(const InstanceStatus&)> onStatus;

  bool TimerRunning() const { return m_interval.count() > 0; }

  // Calls tick at every expiry of timer 1 and saveTick at every expiry of the save timer until
  // SIGINT, SIGTERM or SIGHUP arrives; returns that signal. The signals must have been blocked
  // before any thread was started.
  int Run(const std::function<void()>& tick, const std::function<void()>& saveTick = {});

 private:
  using Clock = std::chrono::steady_clock;
  std::chrono::milliseconds m_interval{0};
  Clock::time_point m_next{};
  std::chrono::milliseconds m_saveInterval{0};
  Clock::time_point m_saveNext{};
};

}  // namespace talvenor
