#include <cerrno>
#include <string_view>
#include <vector>

#include "backup/BackupStore.h"
#include "core/Messages.h"
#include "platform/FolderHandle.h"
#include "platform/PathText.h"

namespace talvenor {

int BackupStore::IsGenerationName(const std::string& name) {
  if (name.size() != 16) return 0;
  struct Field {
    std::size_t pos, length;
    std::string_view lowest, highest;
  };
  // Compared as strings, byte by byte, not as numbers: "20-8" is a year that passes.
  static constexpr Field kFields[] = {{0, 4, "0000", "9999"}, {4, 2, "01", "12"},  {6, 2, "01", "31"},
                                      {8, 2, "00", "24"},     {10, 2, "00", "59"}, {12, 2, "00", "59"}};
  const std::string_view text(name);
  for (const Field& f : kFields) {
    const std::string_view value = text.substr(f.pos, f.length);
    if (value < f.lowest || value > f.highest) return 0;
  }
  return 1;
}

int BackupStore::FindOldest(const platform::FolderHandle& backup, std::string& oldestName,
                            const std::set<std::string>& passedOver) const {
  std::vector<platform::FolderEntry> entries;
  if (!backup.IsOpen() || !backup.List(entries)) return 1;  // nothing to count
  std::string oldest;
  int count = 0;
  // A link is never a generation, even a link to a folder: pruning never reaches outside.
  // Nor is someone else's folder: planted under later names, it would push ours out.
  for (const platform::FolderEntry& entry : entries) {
    if (!entry.folder || !IsGenerationName(entry.name) || !backup.OwnsEntry(entry.name)) continue;
    ++count;
    if (passedOver.count(entry.name) != 0) continue;
    if (oldest.empty() || oldest > entry.name) oldest = entry.name;
  }
  if (count <= m_settings.BAKSZ || oldest.empty()) return 1;
  oldestName = oldest;
  return 0;
}

int BackupStore::FindOldestGeneration(std::string& oldestName) {
  return FindOldest(platform::FolderHandle::Open(m_settings.DIR2), oldestName, {});
}

int BackupStore::PruneGenerations() {
  // Folders that resisted removal in this call are reported once and then passed over; they
  // still count. The pass's own generation is never pruned, even when a clock set back makes
  // its name the oldest: its copies would be lost.
  std::set<std::string> passedOver;
  const auto slash = m_strGenerationDir.find_last_of(platform::kSeparator);
  if (slash != std::string::npos) passedOver.insert(m_strGenerationDir.substr(slash + 1));

  const platform::FolderHandle backup = platform::FolderHandle::Open(m_settings.DIR2);
  std::string oldest;
  while (FindOldest(backup, oldest, passedOver) == 0) {
    m_strRemovePath = InBackupFolder(oldest);
    // Emptying gives the folder its owner's permissions back first: without its write bit
    // nothing inside can go.
    if (EmptyLevel(backup, oldest, false) != 0 && (backup.RemoveChild(oldest) || errno == ENOENT)) continue;
    m_ui.ShowMessage(msg::Format(msg::kCannotRemoveFolder, {m_strRemovePath}));
    RenameForManualDelete(m_strRemovePath);
    passedOver.insert(oldest);
    passedOver.insert(oldest.substr(0, oldest.size() - 1) + "A");
  }
  return 1;
}

}  // namespace talvenor
