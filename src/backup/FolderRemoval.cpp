#include <vector>

#include "backup/BackupStore.h"
#include "core/Messages.h"
#include "core/SearchOutcome.h"
#include "platform/DirReader.h"
#include "platform/FileSystem.h"

namespace talvenor {

int BackupStore::EmptyFolder(const std::string& folder) { return EmptyLevel(folder, false); }

int BackupStore::EmptyLevel(const std::string& folder, bool listedByParent) {
  platform::DirReader reader;
  // Denied or not ready is reported yet counted as emptied: the removal of the folder then
  // fails and says so.
  switch (ReportSearchCode(reader.Open(folder, listedByParent), m_ui)) {
    case SearchOutcome::Walk:
      break;
    case SearchOutcome::Skip:
      return 1;
    case SearchOutcome::Fail:
      return 0;
  }
  // The whole listing first: entries removed while a folder is being read may make some
  // file systems skip others.
  std::vector<platform::DirEntry> entries;
  platform::DirEntry entry;
  while (reader.Next(entry)) entries.push_back(entry);
  bool emptied = reader.LastError() == 0;
  reader.Close();

  for (const platform::DirEntry& e : entries) {
    const std::string path = folder + e.name;
    // An entry whose permissions cannot be given back is left alone; its folder then stays.
    if (!platform::ResetAttributesToNormal(path)) continue;
    if (e.kind == platform::EntryKind::Folder) {
      // Deepest level first; the folder's write bit was given back above so its contents can go.
      if (EmptyLevel(path + "/", true) == 0 || !platform::RemoveDirectory(path)) emptied = false;
    } else if (!platform::RemoveFile(path)) {
      emptied = false;
    }
  }
  return emptied ? 1 : 0;
}

int BackupStore::RenameForManualDelete(const std::string& path) {
  if (path.empty()) return 1;
  std::string renamed = path;
  renamed.back() = 'A';
  platform::ResetAttributesToNormal(path);
  if (!platform::PathExists(path)) return 1;
  // Never over an existing entry: that would lose a folder the user still has to look at.
  if (platform::RenameNoReplace(path, renamed)) {
    m_ui.ShowMessage(msg::Format(msg::kRenamed, {path, renamed}));
  } else {
    m_ui.ShowMessage(msg::Format(msg::kNotRenamed, {path}));
  }
  return 1;
}

}  // namespace talvenor
