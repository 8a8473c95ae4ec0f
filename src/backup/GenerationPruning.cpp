#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include "backup/BackupStore.h"
#include "backup/GenerationOrder.h"
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

std::vector<std::string> BackupStore::Generations(const platform::FolderHandle& backup,
                                                  const GenerationOrder& order) const {
  std::vector<std::string> generations;
  std::vector<platform::FolderEntry> entries;
  if (!backup.IsOpen() || !backup.List(entries)) return generations;  // nothing to count
  // A link is never a generation, even a link to a folder: pruning never reaches outside.
  // Nor is someone else's folder: planted under later names, it would push ours out.
  for (platform::FolderEntry& entry : entries) {
    if (entry.folder && IsGenerationName(entry.name) && backup.OwnsEntry(entry.name))
      generations.push_back(std::move(entry.name));
  }
  order.Sort(generations);
  return generations;
}

int BackupStore::FindOldest(const std::vector<std::string>& generations, std::string& oldestName,
                            const std::set<std::string>& passedOver) const {
  if (generations.size() <= static_cast<std::size_t>(std::max(m_settings.BAKSZ, 0))) return 1;
  for (const std::string& name : generations) {
    if (passedOver.count(name) != 0) continue;
    oldestName = name;
    return 0;
  }
  return 1;
}

int BackupStore::FindOldestGeneration(std::string& oldestName) {
  const platform::FolderHandle backup = platform::FolderHandle::Open(m_settings.DIR2);
  return FindOldest(Generations(backup, GenerationOrder::Load(backup)), oldestName, {});
}

int BackupStore::PruneGenerations() {
  // Folders that resisted removal in this call are reported once and then passed over; they
  // still count. The pass's own generation is never pruned, even when it would be the oldest:
  // its copies would be lost.
  std::set<std::string> passedOver;
  const auto slash = m_strGenerationDir.find_last_of(platform::kSeparator);
  if (slash != std::string::npos) passedOver.insert(m_strGenerationDir.substr(slash + 1));

  const platform::FolderHandle backup = platform::FolderHandle::Open(m_settings.DIR2);
  const GenerationOrder order = GenerationOrder::Load(backup);
  std::vector<std::string> generations = Generations(backup, order);
  std::string oldest;
  // The folder is listed again after each removal: counted as it now is.
  for (; FindOldest(generations, oldest, passedOver) == 0; generations = Generations(backup, order)) {
    m_strRemovePath = InBackupFolder(oldest);
    // Emptying gives the folder its owner's permissions back first: without its write bit
    // nothing inside can go.
    if (EmptyLevel(backup, oldest, false) != 0 && (backup.RemoveChild(oldest) || errno == ENOENT)) continue;
    m_ui.ShowMessage(msg::Format(msg::kCannotRemoveFolder, {m_strRemovePath}));
    RenameForManualDelete(m_strRemovePath);
    passedOver.insert(oldest);
    passedOver.insert(oldest.substr(0, oldest.size() - 1) + "A");
  }
  order.Compact(backup, generations);
  return 1;
}

}  // namespace talvenor
