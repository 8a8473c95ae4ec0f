#pragma once
// A monitoring session: Start's checks, the watcher thread and the tick that runs passes.
#include <atomic>
#include <string>

#include "core/AppPaths.h"
#include "core/Settings.h"
#include "core/UiPort.h"
#include "detect/SessionHost.h"

namespace talvenor {

class BackupStore;
class ChangeLog;

// Raised by the watcher thread, tested and cleared by the tick.
extern std::atomic<int> g_changeSeen;
// 1 while a session runs; read by the tray menu.
extern std::atomic<int> g_monitoring;

class MonitorSession {
 public:
  MonitorSession(Settings& settings, const AppPaths& paths, UiPort& ui, SessionHost& host);
  ~MonitorSession();

  void StartMonitoring();
  void StopMonitoring();
  int StartWatcher(const std::string& folder);
  int StopWatcher();
  void OnMonitorTick();
  void DetectChanges(const std::string& path, int mode);

  // True while Start is checking; a second Start or a Quit is then refused quietly.
  bool IsStarting() const;
  bool IsPassRunning() const;

  BackupStore& Backup();
  ChangeLog& Log();
};

}  // namespace talvenor
