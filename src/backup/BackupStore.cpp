#include "backup/BackupStore.h"

#include <cerrno>

#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/FileTime.h"

namespace talvenor {
namespace {

constexpr int kSequenceNumbers = 100;  // generation names .0 to .99 within one second
constexpr int kCopySuffixes = 99;      // copy names name.0 to name.98

bool EndsWithSeparator(const std::string& path) { return !path.empty() && path.back() == '/'; }

// The target itself, else the first of target.0 ... target.98 that no entry holds yet. When
// all are taken the plain target stays and the copy then fails on it.
std::string FreeCopyName(const std::string& target) {
  if (!platform::PathExists(target)) return target;
  for (int i = 0; i < kCopySuffixes; ++i) {
    std::string candidate = target + "." + std::to_string(i);
    if (!platform::PathExists(candidate)) return candidate;
  }
  return target;
}

}  // namespace

BackupStore::BackupStore(const Settings& settings, UiPort& ui) : m_settings(settings), m_ui(ui) {}

bool BackupStore::MakeGeneration(std::string& generationName) {
  const std::string stamp = platform::FormatStamp(platform::GetLocalTime());
  const std::string base = m_settings.DIR2 + (EndsWithSeparator(m_settings.DIR2) ? "" : "/") + stamp;
  for (int n = 0; n < kSequenceNumbers; ++n) {
    const std::string candidate = base + "." + std::to_string(n);
    // mkdir tests and takes the name in one step, so two passes never share a folder.
    const bool made = platform::MakeDirectory(candidate);
    if (made || errno != EEXIST) {
      // Kept even when mkdir failed: the pass's later copies then fail against it.
      m_strGenerationDir = candidate;
      generationName = stamp + "." + std::to_string(n);
      return made;
    }
  }
  generationName = stamp + "." + std::to_string(kSequenceNumbers - 1);
  return false;
}

int BackupStore::BackupFile(const std::string& folder, const std::string& name, int continuing,
                            std::string& destination, std::string& generationName) {
  m_lastFailureAtSource = false;
  if (continuing == 0) {
    m_generationMade = MakeGeneration(generationName);
    if (!m_generationMade) return 0;
  }
  if (m_strGenerationDir.empty()) return 0;
  const std::string target = FreeCopyName(m_strGenerationDir + "/" + name);
  const bool copied = platform::CopyFileNoReplace(folder + name, target);
  if (copied) m_copiedSinceFlush = true;
  if (!copied) m_lastFailureAtSource = !platform::CanReadFile(folder + name);
  destination = target;
  return copied ? 1 : 0;
}

void BackupStore::RemoveEmptyGeneration() {
  // rmdir removes only an empty folder, so a generation holding any copy stays.
  if (m_generationMade && platform::RemoveDirectory(m_strGenerationDir)) m_generationMade = false;
}

bool BackupStore::FlushCopies() {
  if (!m_copiedSinceFlush) return true;
  // One syncfs puts every copy of the pass and every folder entry naming it on disk.
  if (!platform::SyncFileSystemOf(m_strGenerationDir) && !platform::SyncFileSystemOf(m_settings.DIR2)) return false;
  m_copiedSinceFlush = false;
  return true;
}

std::string BackupStore::InBackupFolder(const std::string& name) const {
  return m_settings.DIR2 + (EndsWithSeparator(m_settings.DIR2) ? "" : "/") + name;
}

}  // namespace talvenor
