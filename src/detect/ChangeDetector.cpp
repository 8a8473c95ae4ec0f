#include "detect/ChangeDetector.h"

#include <utility>
#include <vector>

#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "detect/FolderScanner.h"
#include "detect/SnapshotFile.h"
#include "detect/SnapshotIndex.h"
#include "platform/FileSystem.h"

namespace talvenor {
namespace {

constexpr const char* kEndMarker = "<END>";
constexpr const char* kStartMarker = "<START>";

class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~RunningFlag() { m_flag = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

ChangeDetector::ChangeDetector(const AppPaths& paths, FolderScanner& scanner, BackupStore& backup, ChangeLog& log,
                               UiPort& ui)
    : m_paths(paths), m_scanner(scanner), m_backup(backup), m_log(log), m_ui(ui) {}

void ChangeDetector::DetectChanges(const std::string& path, int mode) {
  // Message boxes of a pass run nested loops that deliver ticks; a second pass would share
  // the two snapshots with this one.
  if (m_running) return;
  RunningFlag running(m_running);
  m_lastChanges = 0;
  m_backupFailures = 0;
  m_log.BeginPass();

  // A damaged file leaves only the records read before the damage: those are compared.
  const bool loadedWhole = LoadSnapshot(m_paths.g_snapshotPath, g_currentSnapshot) != 0;
  // Moving is the copy-then-clear of the previous snapshot without holding the tree twice.
  ClearPreviousSnapshot();
  g_previousSnapshot = std::move(g_currentSnapshot);
  ClearCurrentSnapshot();

  std::string folder = path;
  if (folder.empty() || folder.back() != '/') folder += '/';
  m_scanner.SetLevelPath(0, folder);
  m_scanner.ScanFolder(0, g_currentSnapshot);  // a partial scan is compared and saved as it is
  LeaveOutOwnFiles();

  bool save = true;
  if (mode == 1) save = CompareAndBackUp();
  m_log.EndPass();
  // A file that already holds exactly this scan is not written again: the same bytes, without
  // a rewrite and an fsync of the whole snapshot at every pass that finds nothing.
  if (mode == 1 && loadedWhole && m_lastChanges == 0 && g_currentSnapshot == g_previousSnapshot) save = false;
  if (save) {
    m_paths.RemoveLeftTemporaries();
    SaveSnapshot(m_paths.g_snapshotPath, g_currentSnapshot, m_ui);
  }

  ClearCurrentSnapshot();
  ClearPreviousSnapshot();
}

void ChangeDetector::LeaveOutOwnFiles() {
  // With the current directory inside the watched tree, the log and the snapshot would be
  // copied at every pass, and each copy would push a real generation out.
  const std::string own = m_paths.Folder();
  std::erase_if(g_currentSnapshot, [&own](const CElement& e) {
    return AppPaths::IsOwnFileName(e.m_strName) && platform::SameFolder(e.m_strFolder.str(), own);
  });
}

bool ChangeDetector::CompareAndBackUp() {
  bool generationStarted = false;
  bool endMarkerWritten = false;
  std::string destination;
  std::string generationName;
  std::vector<std::size_t> notCopied;
  bool anyCopied = false;
  bool pruned = false;
  m_backupFailures = 0;

  {
    const SnapshotIndex previous(g_previousSnapshot);
    for (std::size_t i = 0; i < g_currentSnapshot.size(); ++i) {
      const CElement& record = g_currentSnapshot[i];
      if (previous.Contains(record)) continue;
      if (m_unreadable.PassOver(record)) {
        notCopied.push_back(i);
        continue;
      }
      ++m_lastChanges;
      const std::string& recordFolder = record.m_strFolder.str();
      const bool copied = m_backup.BackupFile(recordFolder, record.m_strName, generationStarted ? 1 : 0,
                                              destination, generationName) != 0;
      // Left out of the saved scan, so the file is a change again at the next pass. Only what
      // the backup side refused is also tried again by the clock; an unreadable source waits
      // for the watcher (made readable, written again).
      if (!copied) notCopied.push_back(i);
      if (!copied && m_backup.LastFailureAtSource()) m_unreadable.Remember(record);
      if (!copied && !m_backup.LastFailureAtSource()) ++m_backupFailures;
      anyCopied = anyCopied || copied;
      if (!endMarkerWritten) m_log.LogPassMarker(generationName, kEndMarker);
      // Old generations make room only for one that holds a copy: a pass that copies nothing
      // must never push real backups out.
      if (copied && !pruned) {
        m_backup.PruneGenerations();
        pruned = true;
      }
      m_log.LogChange(record.m_strName, recordFolder, destination);
      generationStarted = true;
      endMarkerWritten = true;
    }
  }
  m_unreadable.EndPass();
  if (endMarkerWritten) {
    m_log.LogPassMarker(generationName, kStartMarker);
    if (!anyCopied) m_backup.RemoveEmptyGeneration();
  }

  // A copy that failed is left out of the saved scan, so the file counts as a change again
  // at the next pass instead of never being copied.
  if (!notCopied.empty()) {
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < g_currentSnapshot.size(); ++i) {
      if (next < notCopied.size() && notCopied[next] == i) {
        ++next;
        continue;
      }
      if (kept != i) g_currentSnapshot[kept] = std::move(g_currentSnapshot[i]);
      ++kept;
    }
    g_currentSnapshot.resize(kept);
  }
  // The snapshot must never claim a copy that a power cut could still take away.
  return m_backup.FlushCopies();
}

}  // namespace talvenor
