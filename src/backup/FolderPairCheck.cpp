#include "backup/BackupStore.h"
#include "core/Messages.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

// After links and ".." are resolved, the backup folder is the watched folder or lies in it.
// A backup folder that the watch sees would have every pass copy its own copies again.
bool ResolvesInside(const std::string& backupDir, const std::string& watchDir) {
  const std::string backup = platform::ResolvePath(backupDir);
  const std::string watch = platform::ResolvePath(watchDir);
  if (backup.empty() || watch.empty()) return false;
  // A resolved path ends in a separator only at the root, which holds everything.
  if (watch.back() == platform::kSeparator) return backup.starts_with(watch);
  return backup == watch || backup.starts_with(watch + platform::kSeparator);
}

}  // namespace

int BackupStore::CheckFolderPair(const std::string& watchDir, const std::string& backupDir) {
  // The textual test is kept as users know it: it also refuses a sibling whose name merely
  // begins with the watched folder's name.
  if (backupDir.starts_with(watchDir) || ResolvesInside(backupDir, watchDir)) {
    m_ui.ShowMessage(msg::kSameFolders);
    return 0;
  }
  return 1;
}

}  // namespace talvenor
