#include "detect/FolderScanner.h"

#include "core/Messages.h"
#include "core/SearchOutcome.h"
#include "platform/DirReader.h"
#include "platform/FileTime.h"

namespace talvenor {

void FolderScanner::SetLevelPath(int level, const std::string& path) { m_levelPath.at(level) = SharedFolder(path); }

const std::string& FolderScanner::LevelPath(int level) const { return m_levelPath.at(level).str(); }

void FolderScanner::ReportOutOfReach(const std::string& folder) {
  if (m_outOfReach.insert(folder).second) m_ui.ShowNotice(msg::Format(msg::kFolderOutOfReach, {folder}));
}

int FolderScanner::ScanFolder(int level, Snapshot& snapshot) {
  const SharedFolder folder = m_levelPath.at(level);
  platform::DirReader reader;
  // Below level 0 the folder was just listed by its parent: if it is gone now, it vanished.
  const int code = reader.Open(folder.str(), level > 0);
  if (code == platform::kSearchPathTooLong) {
    ReportOutOfReach(folder.str());
    return 1;
  }
  switch (ReportSearchCode(code, m_ui)) {
    case SearchOutcome::Walk:
      break;
    case SearchOutcome::Skip:
      return 1;
    case SearchOutcome::Fail:
      return 0;
  }

  // One offset per folder: the zone's offset at the moment of the listing.
  const long offset = platform::CurrentUtcOffsetSeconds();
  platform::DirEntry entry;
  while (reader.Next(entry)) {
    if (entry.kind == platform::EntryKind::Folder) {
      std::string child;
      child.reserve(folder.str().size() + entry.name.size() + 1);
      child.append(folder.str()).append(entry.name).push_back('/');
      if (level == kDeepestLevel) {
        ReportOutOfReach(child);
        continue;
      }
      m_levelPath[level + 1] = SharedFolder(std::move(child));
      if (ScanFolder(level + 1, snapshot) == 0) return 0;
      continue;
    }
    CElement& element = snapshot.emplace_back();
    element.m_ftWrite = platform::ShiftFileTime(entry.writeTime, offset);
    element.m_strStamp = platform::FormatStamp(platform::FileTimeToSystemTime(element.m_ftWrite));
    element.m_strName = std::move(entry.name);
    element.m_dwSize = static_cast<std::uint32_t>(entry.size);  // the low 32 bits, as stored
    element.m_strFolder = folder;
  }
  return 1;
}

}  // namespace talvenor
