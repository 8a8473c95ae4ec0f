#include "backup/BackupStore.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "backup/GenerationOrder.h"
#include "core/Messages.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/FileTime.h"
#include "platform/PathText.h"
#include "platform/StorageErrors.h"

namespace talvenor {
namespace {

constexpr int kSequenceNumbers = 100;  // generation names .0 to .99 within one second
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
      m_generationError = made.IsOpen() ? 0 : error;
      m_strGenerationDir = base + "." + std::to_string(n);
      m_generationName = name;
      generationName = name;
      m_generationMade = made.IsOpen();
      if (m_generationMade) GenerationOrder::Append(m_backupFolder, name);
      m_generation = std::move(made);
      m_nextCopySuffix.clear();
      return m_generationMade;
    }
  }
  // Every name taken: the pass's copies go on into the last generation, as they always did.
  m_generationError = EEXIST;
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

std::string BackupStore::FreeCopyName(const std::string& name) {
  // The plain name, else the first of name.0, name.1, ... that no entry holds yet: a pass puts
  // every file of one name into its generation. The number to try next is remembered per
  // name, so the k-th copy of a name costs one look, not k. The names of the copy's own
  // temporaries are never given to a copy, so a leftover of a crash is never a user's file.
  std::size_t& next = m_nextCopySuffix[name];  // 0: the plain name, n: name.(n-1)
  for (;;) {
    std::string candidate = next == 0 ? name : name + "." + std::to_string(next - 1);
    ++next;
    if (!platform::IsCopyTemporaryName(candidate) && !GenerationRecord::IsRecordName(candidate) &&
        !m_generation.Has(candidate))
      return candidate;
  }
}

void BackupStore::NoteRefused(const std::string& source, int error) {
  // Only these say that the backup folder is full or cannot be reached; a name too long or a
  // folder closed to us is no outage, and waiting for room would not cure it.
  if (platform::IsStorageOutage(error)) m_refusedForOutage = true;
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
    m_record.Close();
    m_refusedForOutage = false;
    if (!MakeGeneration(generationName)) {
      NoteRefused(folder + name, m_generationError);
      return 0;
    }
  }
  if (!m_generation.IsOpen()) {
    NoteRefused(folder + name, m_generationError);
    return 0;
  }
  std::string copyName = FreeCopyName(name);
  platform::CopiedVersion version;
  platform::CopyResult result =
      platform::CopyIntoFolder(folder + name, m_generation, copyName, kCopyAttempts, &version);
  // The copy is published only under a name nobody holds: one taken meanwhile gives the next.
  for (int collisions = 1; result == platform::CopyResult::TargetFailed && errno == EEXIST && collisions < 3;
       ++collisions) {
    copyName = FreeCopyName(name);
    result = platform::CopyIntoFolder(folder + name, m_generation, copyName, kCopyAttempts, &version);
  }
  if (result == platform::CopyResult::SourceFailed) {
    m_lastFailureAtSource = true;
    return 0;
  }
  if (result == platform::CopyResult::TargetFailed) {
    const int error = errno;
    NoteRefused(folder + name, error);
    return 0;
  }
  m_copiedSinceFlush = true;
  destination = m_strGenerationDir + platform::kSeparator + copyName;
  // A record that cannot be written costs the copy's trace, never the copy.
  if (m_keepRecord)
    m_record.Add(m_generation,
                 {folder + name, version.size, version.modifiedSeconds, version.modifiedNanoseconds, copyName});
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
  // The pass is over: a record held open would keep a network share from removing its folder.
  m_record.Close();
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
