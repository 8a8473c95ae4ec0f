#pragma once
// A monitoring session: Start's checks, the watcher thread and the tick that runs passes.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "core/AppPaths.h"
#include "core/InstanceStatus.h"
#include "core/Settings.h"
#include "core/UiPort.h"
#include "detect/SessionHost.h"
#include "platform/TouchedFolders.h"

namespace talvenor {

class BackupOutage;
class BackupStore;
class ChangeDetector;
class ChangeLog;
class FolderScanner;
class WatcherThread;
struct FolderNode;

// A watched tree above this many bytes makes Start ask before going on.
inline constexpr long long kLargeFolderBytes = 10'000'000;

// When a session writes the snapshot its passes changed (see OnSaveTimer).
inline constexpr int kSaveTimerMilliseconds = 1000;
inline constexpr std::chrono::seconds kQuietBeforeSave{5};
inline constexpr std::chrono::minutes kLongestUnsaved{10};

class MonitorSession {
 public:
  MonitorSession(Settings& settings, const AppPaths& paths, UiPort& ui, SessionHost& host);
  ~MonitorSession();
  MonitorSession(const MonitorSession&) = delete;
  MonitorSession& operator=(const MonitorSession&) = delete;

  void StartMonitoring();
  void StopMonitoring();
  int StartWatcher(const std::string& folder);
  // Also writes the snapshot the passes left unsaved: whatever ends a session (Stop, Quit, a
  // signal in the terminal) leaves "test2.dat" holding the last pass's scan.
  int StopWatcher();
  void OnMonitorTick();
  // The save timer: the held snapshot is written once no pass has changed it and no change
  // has been seen for kQuietBeforeSave, and at the latest kLongestUnsaved after a pass first
  // left it unsaved.
  void OnSaveTimer();
  void DetectChanges(const std::string& path, int mode);
  // One pass over the watched folder as a tick makes it, with what follows every pass: copies
  // the backup side refused are told of and tried again later, the snapshot is kept for saving,
  // a Stop that waited for the pass happens. A single run without ticks makes its pass here too.
  void RunPass(const platform::TouchedFolders& touched);
  // What ends every run, windowed or not: the log closed, the watcher stopped (which saves the
  // snapshot) and no further tick.
  void Finish();

  // Asks the running pass to end after the file in progress (Quit waits for it).
  void EndPassEarly();

  // What the session tells of itself (the status file, the tray icon's tooltip).
  const InstanceStatus& Status() const { return m_status; }

  // True while Start is checking; a second Start or a Quit is then refused quietly.
  bool IsStarting() const;
  bool IsPassRunning() const;
  // True between a successful Start and the next Stop (or the end of the watcher at Quit).
  bool IsRunning() const;

  // A change for the next tick to look at, as the watcher raises it; or none.
  void SetChangeSeen(bool seen) { m_changeSeen = seen ? 1 : 0; }
  bool ChangeSeen() const { return m_changeSeen.load() != 0; }

  // The folder tests of Start: 1 when both folders may be used, 0 after
  // "監視先とバックアップ先を確認してください" (and CheckFolderPair's own message, if it refused).
  int CheckStartFolders();

  BackupStore& Backup();
  ChangeLog& Log();
  ChangeDetector& Detector();
  WatcherThread& Watcher();

  // What the kernel never reports (writes through a memory mapping, changes made through
  // another mount) is found by a whole scan at least this often, changes seen or not.
  void SetWholeScanInterval(std::chrono::seconds interval) { m_wholeScanInterval = interval; }
  // The delays of OnSaveTimer: kQuietBeforeSave and kLongestUnsaved unless set.
  void SetSaveDelays(std::chrono::milliseconds quiet, std::chrono::milliseconds longest) {
    m_quietBeforeSave = quiet;
    m_longestUnsaved = longest;
  }

 private:
  enum class State { Stopped, Checking, Running };

  bool RunStartChecks(std::unique_ptr<FolderNode>& baseline);
  // What a pass leaves to do: a Stop asked for during it.
  void AfterPass();
  // Takes the state, the folders and the last pass into the status; the host hears of a change.
  void UpdateStatus();
  // The watcher part of StartWatcher.
  void Watch(const std::string& folder);
  // What every new watch starts from: the limit notice and the outage anew, own files ignored.
  void PrepareWatch();
  // After a pass: an unsaved snapshot starts the save timer.
  void NoteUnsavedSnapshot();
  void SaveSnapshot();

  Settings& m_settings;
  const AppPaths& m_paths;
  UiPort& m_ui;
  SessionHost& m_host;
  // Raised by the watcher thread, tested and cleared by the tick; it outlives the thread.
  std::atomic<int> m_changeSeen{0};
  std::unique_ptr<FolderScanner> m_scanner;
  std::unique_ptr<BackupStore> m_backup;
  std::unique_ptr<ChangeLog> m_log;
  std::unique_ptr<ChangeDetector> m_detector;
  std::unique_ptr<WatcherThread> m_watcher;
  State m_state = State::Stopped;
  bool m_limitNoticeShown = false;
  bool m_stopAfterPass = false;
  InstanceStatus m_status;
  bool m_passCounted = true;  // the last pass is in m_status
  // Copies the backup side refused are tried again on their own, not at the next change.
  std::unique_ptr<BackupOutage> m_outage;
  std::chrono::seconds m_wholeScanInterval{3600};
  std::chrono::steady_clock::time_point m_sessionStart{};
  std::chrono::milliseconds m_quietBeforeSave{kQuietBeforeSave};
  std::chrono::milliseconds m_longestUnsaved{kLongestUnsaved};
  bool m_saveTimerRunning = false;
  std::chrono::steady_clock::time_point m_unsavedSince{};
  std::chrono::steady_clock::time_point m_lastActivity{};
};

}  // namespace talvenor
