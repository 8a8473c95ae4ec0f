#pragma once
// The change detection pass: load the last snapshot, rescan the watched tree, copy every new
// or different file into one new generation, log it, and save the scan for the next pass.
#include <string>

#include "core/AppPaths.h"
#include "core/UiPort.h"
#include "detect/UnreadableSources.h"

namespace talvenor {

class BackupStore;
class ChangeLog;
class FolderScanner;

class ChangeDetector {
 public:
  ChangeDetector(const AppPaths& paths, FolderScanner& scanner, BackupStore& backup, ChangeLog& log, UiPort& ui);

  // mode 1: compare and back up; any other mode records the folder without comparing.
  // Does nothing when a pass is already running (from a message box's nested loop).
  void DetectChanges(const std::string& path, int mode);
  bool IsRunning() const { return m_running; }

  // Number of changes found by the last pass (for the headless mode and tests).
  int LastChangeCount() const { return m_lastChanges; }
  // Changes of the last pass that the backup side refused; the clock tries them again.
  int LastBackupFailures() const { return m_backupFailures; }

 private:
  // The program's own files never count as files of the watched tree.
  void LeaveOutOwnFiles();
  // Returns true when the copies of this pass are on disk and the scan may be saved.
  bool CompareAndBackUp();

  const AppPaths& m_paths;
  FolderScanner& m_scanner;
  BackupStore& m_backup;
  ChangeLog& m_log;
  UiPort& m_ui;
  bool m_running = false;
  int m_lastChanges = 0;
  int m_backupFailures = 0;
  UnreadableSources m_unreadable;
};

}  // namespace talvenor
