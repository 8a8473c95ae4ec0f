#include "backup/BackupStore.h"

#include <cerrno>

#include "core/Messages.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/FileTime.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

constexpr int kSequenceNumbers = 100;  // generation names .0 to .99 within one second
constexpr int kCopySuffixes = 99;      // copy names name.0 to name.98
// Most rewrites in place are short: a second attempt usually gets a whole version.
constexpr int kCopyAttempts = 3;
// Nobody but the owner may enter a generation. Whether another user can read a source depends
// on every folder above it, which one folder of copies from all over the tree cannot mirror;
// closed to others, no copy is ever more readable than its source, and the copies keep their
// sources' permission bits.
constexpr unsigned kGenerationMode = 0700;

bool EndsWithSeparator(const std::string& path) { return !path.empty() && path.back() == platform::kSeparator; }

}  // namespace

BackupStore::BackupStore(const Settings& settings, UiPort& ui) : m_settings(settings), m_ui(ui) {}

bool BackupStore::MakeGeneration(std::string& generationName) {
  const std::string stamp = platform::FormatStamp(platform::GetLocalTime());
  const std::string base =
      m_settings.DIR2 + (EndsWithSeparator(m_settings.DIR2) ? "" : platform::kSeparatorText) + stamp;
  m_backupFolder = platform::FolderHandle::Open(m_settings.DIR2);
  int openError = errno;
  if (m_backupFolder.IsOpen() && !OnPinnedDisk()) {
    m_backupFolder.Close();
    openError = ENODEV;
  }
  for (int n = 0; n < kSequenceNumbers; ++n) {
    const std::string name = stamp + "." + std::to_string(n);
    // mkdir tests and takes the name in one step, so two passes never share a folder.
    platform::FolderHandle made;
    int error = openError;
    if (m_backupFolder.IsOpen()) {
      made = m_backupFolder.NewChild(name, kGenerationMode);
      error = errno;
    }
    if (made.IsOpen() || error != EEXIST) {
      // Kept even when mkdir failed: the pass's later copies then fail.
      m_strGenerationDir = base + "." + std::to_string(n);
      m_generationName = name;
      generationName = name;
      m_generationMade = made.IsOpen();
      m_generation = std::move(made);
      return m_generationMade;
    }
  }
  // Every name taken: the pass's copies go on into the last generation, as they always did.
  generationName = stamp + "." + std::to_string(kSequenceNumbers - 1);
  return false;
}

void BackupStore::PinBackupDisk() {
  const platform::FolderHandle folder = platform::FolderHandle::Open(m_settings.DIR2);
  m_pinnedFolder = folder.IsOpen() ? m_settings.DIR2 : std::string();
  m_pinnedDevice = folder.IsOpen() ? folder.Identity().first : 0;
}

bool BackupStore::OnPinnedDisk() {
  const unsigned long long device = m_backupFolder.Identity().first;
  if (m_pinnedFolder != m_settings.DIR2) {
    m_pinnedFolder = m_settings.DIR2;
    m_pinnedDevice = device;
  }
  return device == m_pinnedDevice;
}

std::string BackupStore::FreeCopyName(const std::string& name) const {
  // The plain name, else the first of name.0 ... name.98 that no entry holds yet. When all are
  // taken the plain name stays and the copy then fails on it. The names of the copy's own
  // temporaries are never given to a copy, so a leftover of a crash is never a user's file.
  const auto free = [this](const std::string& candidate) {
    return !platform::IsCopyTemporaryName(candidate) && !m_generation.Has(candidate);
  };
  if (free(name)) return name;
  for (int i = 0; i < kCopySuffixes; ++i) {
    std::string candidate = name + "." + std::to_string(i);
    if (free(candidate)) return candidate;
  }
  return name;
}

void BackupStore::NoteRefused(const std::string& source) {
  const auto status = platform::StatFile(source);
  const std::uint64_t size = status ? status->size : 0;
  if (m_smallestRefused == 0 || size < m_smallestRefused) m_smallestRefused = size;
}

int BackupStore::BackupFile(const std::string& folder, const std::string& name, int continuing,
                            std::string& destination, std::string& generationName) {
  m_lastFailureAtSource = false;
  destination.clear();
  if (continuing == 0) {
    m_smallestRefused = 0;
    if (!MakeGeneration(generationName)) {
      NoteRefused(folder + name);
      return 0;
    }
  }
  if (!m_generation.IsOpen()) {
    NoteRefused(folder + name);
    return 0;
  }
  const std::string copyName = FreeCopyName(name);
  const platform::CopyResult result = platform::CopyIntoFolder(folder + name, m_generation, copyName, kCopyAttempts);
  if (result == platform::CopyResult::SourceFailed) {
    m_lastFailureAtSource = true;
    return 0;
  }
  if (result == platform::CopyResult::TargetFailed) {
    NoteRefused(folder + name);
    return 0;
  }
  m_copiedSinceFlush = true;
  destination = m_strGenerationDir + platform::kSeparator + copyName;
  // A file that never rests keeps its last copy, which may mix versions: said once per file.
  if (result == platform::CopyResult::CopiedWhileChanging && m_toldKeptChanging.insert(folder + name).second)
    m_ui.ShowNotice(msg::Format(msg::kKeptChanging, {folder + name}));
  return 1;
}

void BackupStore::RemoveEmptyGeneration() {
  // rmdir removes only an empty folder, so a generation holding any copy stays.
  if (m_generationMade && m_backupFolder.RemoveChild(m_generationName)) m_generationMade = false;
}

bool BackupStore::FlushCopies() {
  if (!m_copiedSinceFlush) return true;
  // One syncfs puts every copy of the pass and every folder entry naming it on disk. Copies
  // whose generation was removed meanwhile are gone: the snapshot must not claim them.
  if (m_generation.Removed() || !m_generation.SyncFileSystem()) return false;
  m_copiedSinceFlush = false;
  return true;
}

void BackupStore::RemoveCopyLeftovers() {
  const platform::FolderHandle backup = platform::FolderHandle::Open(m_settings.DIR2);
  std::vector<platform::FolderEntry> generations;
  if (!backup.IsOpen() || !backup.List(generations)) return;
  std::vector<platform::FolderEntry> entries;
  for (const platform::FolderEntry& g : generations) {
    if (!g.folder || !IsGenerationName(g.name)) continue;
    const platform::FolderHandle generation = backup.Child(g.name);
    if (!generation.IsOpen() || !generation.List(entries)) continue;
    for (const platform::FolderEntry& e : entries) {
      if (!e.folder && platform::IsCopyTemporaryName(e.name)) generation.RemoveEntry(e.name);
    }
  }
}

std::string BackupStore::InBackupFolder(const std::string& name) const {
  return m_settings.DIR2 + (EndsWithSeparator(m_settings.DIR2) ? "" : platform::kSeparatorText) + name;
}

}  // namespace talvenor
