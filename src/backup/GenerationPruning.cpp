#include <string_view>

#include "backup/BackupStore.h"
#include "core/Messages.h"
#include "platform/DirReader.h"
#include "platform/FileSystem.h"

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

int BackupStore::FindOldest(std::string& oldestName, const std::set<std::string>& passedOver) const {
  platform::DirReader reader;
  if (reader.Open(m_settings.DIR2) != platform::kSearchOk) return 1;  // nothing to count
  std::string oldest;
  int count = 0;
  platform::DirEntry entry;
  // Links to folders are never listed, so pruning cannot reach outside the backup folder.
  while (reader.Next(entry)) {
    if (entry.kind != platform::EntryKind::Folder || !IsGenerationName(entry.name)) continue;
    ++count;
    if (passedOver.count(entry.name) != 0) continue;
    if (oldest.empty() || oldest > entry.name) oldest = entry.name;
  }
  if (count <= m_settings.BAKSZ || oldest.empty()) return 1;
  oldestName = oldest;
  return 0;
}

int BackupStore::FindOldestGeneration(std::string& oldestName) { return FindOldest(oldestName, {}); }

int BackupStore::PruneGenerations() {
  // Folders that resisted removal in this call are reported once and then passed over; they
  // still count. The pass's own generation is never pruned, even when a clock set back makes
  // its name the oldest: its copies would be lost.
  std::set<std::string> passedOver;
  const auto slash = m_strGenerationDir.find_last_of('/');
  if (slash != std::string::npos) passedOver.insert(m_strGenerationDir.substr(slash + 1));

  std::string oldest;
  while (FindOldest(oldest, passedOver) == 0) {
    m_strRemovePath = InBackupFolder(oldest);
    // The folder's own permissions first: without its write bit nothing inside can go.
    platform::ResetAttributesToNormal(m_strRemovePath);
    if (EmptyFolder(m_strRemovePath + "/") != 0 && platform::RemoveDirectory(m_strRemovePath)) continue;
    m_ui.ShowMessage(msg::Format(msg::kCannotRemoveFolder, {m_strRemovePath}));
    RenameForManualDelete(m_strRemovePath);
    passedOver.insert(oldest);
    passedOver.insert(oldest.substr(0, oldest.size() - 1) + "A");
  }
  return 1;
}

}  // namespace talvenor
