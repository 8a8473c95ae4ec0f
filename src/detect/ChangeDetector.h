#pragma once
// The change detection pass: rescan the watched tree, copy every new or different file into
// one new generation, log it, and save the scan for the next pass. Within a session the last
// scan is held in memory as a tree, and a pass told which folders events touched lists only
// those again; the records, copies and log lines are those a whole scan would give.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/AppPaths.h"
#include "core/UiPort.h"
#include "detect/IgnoreFile.h"
#include "detect/IndirectFiles.h"
#include "detect/SnapshotTree.h"
#include "detect/TreeComparison.h"
#include "detect/UnreadableSources.h"
#include "platform/FileSystem.h"
#include "platform/TouchedFolders.h"

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
  // The same pass, listing only the folders touched since the last one when the held
  // snapshot is still the one on disk; a whole scan otherwise.
  void DetectChanges(const std::string& path, int mode, const platform::TouchedFolders& touched);
  // A baseline pass (mode 0) over a tree already listed, by Start's size walk.
  void AdoptBaseline(const std::string& path, std::unique_ptr<FolderNode> listed);
  bool IsRunning() const { return m_running; }
  // Ends the running pass after the file in progress (asked while it lets input through);
  // the files it has not copied stay changes, in the saved snapshot as in the held one.
  void RequestEnd() { m_endRequested = m_running; }

  // The user's ".talvenorignore", read again at every pass.
  IgnoreFile& Ignore() { return m_ignore; }
  // Called inside the pass that found the patterns changed, before it scans: what is watched
  // must follow them too.
  void SetOnIgnoreChanged(std::function<void()> onChanged) { m_onIgnoreChanged = std::move(onChanged); }

  // The last pass's scan while it is held (what "test2.dat" holds); nullptr otherwise.
  const FolderNode* HeldSnapshot() const { return m_held.get(); }
  // Drops the snapshot held in memory: the next pass loads the file and scans the whole tree.
  void ForgetHeldSnapshot() { DropHeld(); }

  // While deferred, a pass that changes the held snapshot only marks it unsaved, and
  // "test2.dat" is written when SaveHeldSnapshot is called: a session saves once the tree is
  // quiet and when it ends, not at every pass. The file keeps an older scan meanwhile, which
  // can only make a later Start copy again what has a copy already.
  void DeferSaves(bool defer) { m_deferSaves = defer; }
  // The held snapshot may differ from what "test2.dat" holds.
  bool SnapshotUnsaved() const { return m_unsaved; }
  // The last pass changed the held snapshot (and saved it, or left it unsaved).
  bool LastPassChangedSnapshot() const { return m_lastPassChanged; }
  // Writes an unsaved held snapshot, unless the file is no longer the one it came from: a file
  // written by someone else is what the next pass reads, as it would have been anyway.
  void SaveHeldSnapshot();
  // When the last whole scan ran (Start's, the hourly one, a fallback).
  std::chrono::steady_clock::time_point LastWholeScan() const { return m_lastWholeScan; }
  bool LastPassWasWhole() const { return m_lastPassWhole; }
  // True when a link's target or a file with other names changed in a way no event told of:
  // the held snapshot then needs a pass, though the watcher saw nothing.
  bool IndirectFilesChanged() { return m_held && !m_indirect.Changed(*m_held).empty(); }

  // Number of changes found by the last pass (for the headless mode and tests).
  int LastChangeCount() const { return m_lastChanges; }
  // Changes of the last pass that the backup side refused; the clock tries them again.
  int LastBackupFailures() const { return m_backupFailures; }
  // Copies the last pass made.
  int LastCopyCount() const { return m_lastCopies; }
  // Changes the last pass left for the next one because it was asked to end.
  int LastLeftCount() const { return m_lastLeft; }

 private:
  void Pass(const std::string& path, int mode, const platform::TouchedFolders* touched);
  bool SplicePass(int mode, const platform::TouchedFolders& touched);
  void WholePass(const std::string& folder, int mode, std::unique_ptr<FolderNode> listed);
  // Copies and logs the changes; false when the copies may not be on disk yet.
  // listedFolders: the folders a splice pass listed; nullptr after a whole scan.
  bool BackUp(const std::vector<Change>& changes, const std::set<std::string>* listedFolders = nullptr);
  // What a pass does with a held snapshot it changed: saved now, or marked unsaved.
  void Keep(bool whole);
  void Save(bool whole);
  void DropHeld();
  // The program's own files never count as files of the watched tree.
  void LeaveOutOwnFiles(FolderNode& folder) const;
  void LeaveOutEverywhere(FolderNode& folder) const;
  // Lets the window answer, at most every few tens of milliseconds; false once the pass is to end.
  bool Breathe();

  const AppPaths& m_paths;
  FolderScanner& m_scanner;
  BackupStore& m_backup;
  ChangeLog& m_log;
  UiPort& m_ui;
  bool m_running = false;
  bool m_endRequested = false;
  int m_lastLeft = 0;
  int m_lastCopies = 0;
  std::chrono::steady_clock::time_point m_lastBreath{};
  int m_lastChanges = 0;
  int m_backupFailures = 0;
  bool m_lastPassWhole = false;
  std::chrono::steady_clock::time_point m_lastWholeScan{};
  // The last pass's scan and the identity of the file it was read from or saved to (none: no
  // file): while the file is still that one, it need not be read again.
  std::unique_ptr<FolderNode> m_held;
  std::optional<platform::FileIdentity> m_heldFile;
  bool m_heldFileKnown = false;
  bool m_deferSaves = false;
  bool m_unsaved = false;
  bool m_lastPassChanged = false;
  // Folders of copies the backup side refused: listed again at the next pass.
  std::set<std::string> m_retryFolders;
  UnreadableSources m_unreadable;
  IgnoreFile m_ignore;
  std::function<void()> m_onIgnoreChanged;
  IndirectFiles m_indirect;  // beside m_held
};

}  // namespace talvenor
