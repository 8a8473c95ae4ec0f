#include "detect/MonitorSession.h"

#include <algorithm>
#include <climits>

#include "backup/BackupOutage.h"
#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/FolderScanner.h"
#include "detect/FolderSize.h"
#include "detect/SnapshotTree.h"
#include "detect/WatcherThread.h"
#include "platform/FileSystem.h"
#include "platform/FileTime.h"
#include "platform/PathText.h"

namespace talvenor {

namespace {

// The progress window of Start stays open until Start returns, on every path.
class ProgressWindow {
 public:
  explicit ProgressWindow(UiPort& ui) : m_ui(ui) {
    m_ui.ProgressOpen(msg::kFolderSizeTitle, msg::kFolderSizeText, 0, 20000, 1);
  }
  ~ProgressWindow() { m_ui.ProgressClose(); }
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

 private:
  UiPort& m_ui;
};

// The exact-path lookup of Start: a text ending in "/" finds nothing, like a drive root.
// Something that is not a folder cannot be watched or receive copies either.
bool FolderPresent(const std::string& path) {
  return !path.empty() && path.back() != platform::kSeparator && platform::PathExists(path) && platform::IsFolder(path);
}

int TimerMilliseconds(int level) {
  // A stored LEVEL is used as it stands; only values no timer can take are bounded.
  return static_cast<int>(std::clamp<long long>(static_cast<long long>(level) * 1000, 1000, INT_MAX));
}

}  // namespace

MonitorSession::MonitorSession(Settings& settings, const AppPaths& paths, UiPort& ui, SessionHost& host)
    : m_settings(settings),
      m_paths(paths),
      m_ui(ui),
      m_host(host),
      m_scanner(std::make_unique<FolderScanner>(ui)),
      m_backup(std::make_unique<BackupStore>(settings, ui)),
      m_log(std::make_unique<ChangeLog>(paths, settings, ui)),
      m_detector(std::make_unique<ChangeDetector>(paths, *m_scanner, *m_backup, *m_log, ui)),
      m_watcher(std::make_unique<WatcherThread>()),
      m_outage(std::make_unique<BackupOutage>(settings, ui)) {
  m_paths.RemoveLeftTemporaries();  // what a crash of an earlier run left
  // Folders let back in by new patterns get their watches; folders now left out lose theirs.
  m_detector->SetOnIgnoreChanged([this] {
    if (m_watcher->IsRunning()) m_watcher->Start(m_settings.DIR1, m_changeSeen);
  });
}

// Nothing is saved here: a window torn down without Quit could not show a failure. The file
// then keeps an older scan, which costs copies again at worst.
MonitorSession::~MonitorSession() { m_watcher->Stop(); }

BackupStore& MonitorSession::Backup() { return *m_backup; }
ChangeLog& MonitorSession::Log() { return *m_log; }
ChangeDetector& MonitorSession::Detector() { return *m_detector; }
WatcherThread& MonitorSession::Watcher() { return *m_watcher; }

bool MonitorSession::IsStarting() const { return m_state == State::Checking; }
bool MonitorSession::IsPassRunning() const { return m_detector->IsRunning(); }
bool MonitorSession::IsRunning() const { return m_state == State::Running; }

void MonitorSession::DetectChanges(const std::string& path, int mode) {
  m_detector->DetectChanges(path, mode);
  NoteUnsavedSnapshot();
  AfterPass();
}

void MonitorSession::EndPassEarly() { m_detector->RequestEnd(); }

void MonitorSession::UpdateStatus() {
  InstanceStatus status = m_status;
  status.monitoring = m_state == State::Running;
  status.watch = m_settings.DIR1;
  status.backup = m_settings.DIR2;
  const std::string stamp = platform::FormatStamp(platform::GetLocalTime());
  const std::string today = stamp.substr(0, 4) + "-" + stamp.substr(4, 2) + "-" + stamp.substr(6, 2);
  if (status.day != today) {
    status.day = today;
    status.copiesToday = 0;
  }
  // Taken once from each pass that has ended.
  if (!m_detector->IsRunning() && !m_passCounted) {
    m_passCounted = true;
    status.copiesToday += m_detector->LastCopyCount();
    status.waiting = m_detector->LastBackupFailures() + m_detector->LastLeftCount();
    if (m_detector->LastChangeCount() > 0)
      status.lastChangePass = today + " " + stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + ":" + stamp.substr(12, 2);
  }
  if (status == m_status) return;
  m_status = status;
  m_host.StatusChanged(m_status);
}

void MonitorSession::AfterPass() {
  m_passCounted = false;
  UpdateStatus();
  if (!m_stopAfterPass || m_detector->IsRunning()) return;
  m_stopAfterPass = false;
  StopMonitoring();
  if (const int left = m_detector->LastLeftCount(); left > 0)
    m_ui.ShowNotice(msg::Format(msg::kFilesLeftForNextPass, {std::to_string(left)}));
}

int MonitorSession::CheckStartFolders() {
  const std::string& watch = m_settings.DIR1;
  const std::string& backup = m_settings.DIR2;
  const bool accepted = !watch.empty() && !backup.empty() && m_backup->CheckFolderPair(watch, backup) != 0 &&
                        FolderPresent(watch) && FolderPresent(backup);
  if (!accepted) m_ui.ShowFolderMessage(msg::kCheckFolders, "watched " + watch + ", backup " + backup);
  return accepted ? 1 : 0;
}

bool MonitorSession::RunStartChecks(std::unique_ptr<FolderNode>& baseline) {
  // The folders first: a pair that will be refused must not cost a walk of the whole disk
  // (both folders are "/" in a fresh profile) and a question about its size.
  if (CheckStartFolders() == 0) return false;
  // One walk on two threads gives the size, the watches and the baseline. Each folder is
  // watched just before it is listed, so what changes after its listing is known to the first
  // pass; the watcher reads the events of the walk once it is over.
  PrepareWatch();
  m_watcher->Prepare(m_settings.DIR1, m_changeSeen);
  baseline = std::make_unique<FolderNode>();
  m_detector->Ignore().Refresh(m_settings.DIR1 + platform::kSeparator);
  const std::int64_t size = GetFolderSize(
      m_settings.DIR1, m_ui, *baseline, [this](const std::string& folder) { m_watcher->WatchFolder(folder); },
      m_detector->Ignore().Rules());
  m_watcher->Begin();
  if (m_settings.FIRST != 0) baseline.reset();
  if (size < 0) return false;
  return size <= kLargeFolderBytes || m_ui.AskOkCancel(msg::kFolderTooLarge, MessageIcon::Warning);
}

void MonitorSession::StartMonitoring() {
  // The progress window pumps messages, so Start can be chosen again while it checks.
  if (m_state != State::Stopped) return;
  m_host.PullFolderTexts();
  m_state = State::Checking;
  ProgressWindow progress(m_ui);
  std::unique_ptr<FolderNode> baseline;
  if (!RunStartChecks(baseline)) {
    m_watcher->Stop();
    m_state = State::Stopped;
    return;
  }
  m_host.SetRunningControls(true);
  // Start scans the whole tree: what changed while nobody watched is known to no event.
  m_detector->ForgetHeldSnapshot();
  m_sessionStart = std::chrono::steady_clock::now();
  m_backup->RemoveCopyLeftovers();
  m_backup->PinBackupDisk();
  // Watching began with the size walk: a file saved while the tree is walked is then seen,
  // at the cost of one pass too many, instead of missed until some other change.
  if (baseline) m_detector->AdoptBaseline(m_settings.DIR1, std::move(baseline));
  m_detector->DeferSaves(true);
  m_host.StartTimer(TimerMilliseconds(m_settings.LEVEL));
  m_host.HideToTray();
  m_state = State::Running;
  UpdateStatus();
}

void MonitorSession::StopMonitoring() {
  if (m_state != State::Running) return;
  // A pass lets the window answer while it works: it ends after the file in progress, and
  // the session stops then, never under it.
  if (m_detector->IsRunning()) {
    m_stopAfterPass = true;
    m_detector->RequestEnd();
    return;
  }
  m_host.SetRunningControls(false);
  StopWatcher();
  m_detector->DeferSaves(false);
  m_detector->ForgetHeldSnapshot();
  m_host.KillTimer();
  m_state = State::Stopped;
  UpdateStatus();
}

int MonitorSession::StartWatcher(const std::string& folder) {
  Watch(folder);
  m_state = State::Running;
  return 0;
}

void MonitorSession::Watch(const std::string& folder) {
  PrepareWatch();
  // A watcher that cannot be set up is not reported: the session runs and sees nothing.
  m_watcher->Start(folder, m_changeSeen);
}

void MonitorSession::PrepareWatch() {
  m_limitNoticeShown = false;
  m_outage->Reset();
  m_watcher->IgnoreFilesIn(m_paths.Folder(), &AppPaths::IsOwnFileName);
  m_watcher->Skip(
      [&ignore = m_detector->Ignore()](const std::string& path, bool folder) { return ignore.Skips(path, folder); });
}

int MonitorSession::StopWatcher() {
  m_watcher->Stop();
  // Quit ends the session here, without Stop: nothing watches any more.
  if (m_state == State::Running) m_state = State::Stopped;
  SaveSnapshot();
  return 0;
}

void MonitorSession::NoteUnsavedSnapshot() {
  if (!m_detector->SnapshotUnsaved()) return;
  const auto now = std::chrono::steady_clock::now();
  if (m_detector->LastPassChangedSnapshot()) m_lastActivity = now;
  if (m_saveTimerRunning) return;
  m_saveTimerRunning = true;
  m_unsavedSince = now;
  m_host.StartSaveTimer(kSaveTimerMilliseconds);
}

void MonitorSession::OnSaveTimer() {
  // A box of a pass (or of the save) runs a nested loop; the save waits for its end.
  if (m_detector->IsRunning()) return;
  const auto now = std::chrono::steady_clock::now();
  // A change seen and not yet passed: the next pass changes the snapshot again.
  if (m_changeSeen.load() != 0) m_lastActivity = now;
  if (m_detector->SnapshotUnsaved() && now - m_lastActivity < m_quietBeforeSave &&
      now - m_unsavedSince < m_longestUnsaved)
    return;
  SaveSnapshot();
}

void MonitorSession::SaveSnapshot() {
  if (m_saveTimerRunning) {
    m_saveTimerRunning = false;
    m_host.KillSaveTimer();
  }
  m_detector->SaveHeldSnapshot();
}

void MonitorSession::OnMonitorTick() {
  // A tick from a message box's loop inside a pass leaves the flag for a later tick.
  if (m_detector->IsRunning()) return;
  if (m_watcher->PollingMode()) {
    m_changeSeen = 1;
    if (!m_limitNoticeShown) {
      m_limitNoticeShown = true;
      m_ui.ShowMessage(msg::kWatchLimitReached, MessageIcon::Warning);
    }
  }
  // A copy the backup side refused (folder gone, disk full) must not wait for an unrelated
  // change: it is tried again on its own.
  if (m_outage->RetryDue()) m_changeSeen = 1;
  const auto now = std::chrono::steady_clock::now();
  const bool wholeDue =
      m_state == State::Running && now - std::max(m_sessionStart, m_detector->LastWholeScan()) >= m_wholeScanInterval;
  bool raised = false;
  platform::TouchedFolders touched = m_watcher->TakeTouched(m_changeSeen, raised);
  if (!raised && !wholeDue) {
    // A link's target or another name of a file may change without an event in the tree; the
    // folders that events touched meanwhile go with that pass.
    if (!m_detector->IndirectFilesChanged()) return;
    m_changeSeen = 1;
    touched = m_watcher->TakeTouched(m_changeSeen, raised);
  }
  m_host.PullFolderTexts();
  // While polling no event tells where: every pass scans the whole tree.
  touched.everything = touched.everything || m_watcher->PollingMode() || wholeDue;
  RunPass(touched);
}

void MonitorSession::RunPass(const platform::TouchedFolders& touched) {
  m_detector->DetectChanges(std::string(m_settings.DIR1), 1, touched);
  m_outage->PassEnded(m_detector->LastBackupFailures(), m_backup->SmallestRefusedCopy(), m_backup->RefusedForOutage());
  NoteUnsavedSnapshot();
  AfterPass();
}

void MonitorSession::Finish() {
  if (m_log->IsOpen()) m_log->Close();
  StopWatcher();
  m_host.KillTimer();
}

}  // namespace talvenor
