#pragma once
// What a monitoring session needs from its window (or the terminal) besides the UiPort:
// the tick timer, the controls of the Running state and hiding to the notification area.
namespace talvenor {

struct InstanceStatus;

class SessionHost {
 public:
  virtual ~SessionHost() = default;
  // Timer 1: call MonitorSession::OnMonitorTick every milliseconds until KillTimer.
  virtual void StartTimer(int milliseconds) = 0;
  virtual void KillTimer() = 0;
  // Timer 2, apart from the ticks: call MonitorSession::OnSaveTimer every milliseconds until
  // KillSaveTimer. It runs only while a snapshot waits to be saved.
  virtual void StartSaveTimer(int milliseconds) = 0;
  virtual void KillSaveTimer() = 0;
  // Pull the two folder texts from the edit boxes into Settings::DIR1 and DIR2.
  virtual void PullFolderTexts() = 0;
  // Enable the controls of the Running (true) or Stopped (false) state.
  virtual void SetRunningControls(bool running) = 0;
  virtual void HideToTray() = 0;
  // The session's state, folders, last pass with changes, copies today or copies waiting
  // changed (pid and mode are left for the host to fill).
  virtual void StatusChanged(const InstanceStatus& /*status*/) {}
};

}  // namespace talvenor
