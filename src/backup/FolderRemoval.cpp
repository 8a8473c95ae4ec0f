#include <cerrno>
#include <vector>

#include "backup/BackupStore.h"
#include "core/Messages.h"
#include "core/SearchOutcome.h"
#include "platform/DirReader.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/StepHook.h"

namespace talvenor {
namespace {

std::string WithoutTrailingSeparator(const std::string& path) {
  return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

std::string LastName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

int BackupStore::EmptyFolder(const std::string& folder) {
  const std::string path = WithoutTrailingSeparator(folder);
  const platform::FolderHandle parent = platform::FolderHandle::Open(platform::ParentFolder(path));
  if (!parent.IsOpen()) {
    ReportSearchCode(platform::DirReader::CodeForErrno(errno, false), m_ui);
    return 0;
  }
  return EmptyLevel(parent, LastName(path), false);
}

int BackupStore::EmptyLevel(const platform::FolderHandle& parent, const std::string& name, bool listedByParent) {
  const platform::FolderHandle folder = parent.ChildToEmpty(name);
  // A link or a file swapped in for the folder since it was listed is removed as itself;
  // nothing it points to is ever listed, changed or deleted.
  if (!folder.IsOpen() && (errno == ENOTDIR || errno == ELOOP)) return parent.RemoveEntry(name) ? 1 : 0;
  // Denied or not ready is reported yet counted as emptied: the removal of the folder then
  // fails and says so.
  const int code = folder.IsOpen() ? platform::kSearchOk : platform::DirReader::CodeForErrno(errno, listedByParent);
  switch (ReportSearchCode(code, m_ui)) {
    case SearchOutcome::Walk:
      break;
    case SearchOutcome::Skip:
      return 1;
    case SearchOutcome::Fail:
      return 0;
  }
  // The whole listing first: entries removed while a folder is being read may make some
  // file systems skip others.
  std::vector<platform::FolderEntry> entries;
  bool emptied = folder.List(entries);
  platform::Step("folder-listed");
  for (const platform::FolderEntry& entry : entries) {
    if (!RemoveAny(folder, entry)) emptied = false;
  }
  return emptied ? 1 : 0;
}

bool BackupStore::RemoveAny(const platform::FolderHandle& folder, const platform::FolderEntry& entry) {
  // Every kind of entry goes: files, links (never what they point to), FIFOs, sockets,
  // devices. Only a folder is given permissions back; a file needs none to be deleted.
  if (!entry.folder) {
    if (folder.RemoveEntry(entry.name)) return true;
    if (errno != EISDIR) return false;  // a folder swapped in since the listing is emptied below
  }
  // Deepest level first. A folder that vanished meanwhile is gone, as wanted.
  return EmptyLevel(folder, entry.name, true) != 0 && (folder.RemoveChild(entry.name) || errno == ENOENT);
}

int BackupStore::RenameForManualDelete(const std::string& path) {
  if (path.empty()) return 1;
  const platform::FolderHandle parent = platform::FolderHandle::Open(platform::ParentFolder(path));
  const std::string name = LastName(path);
  std::string renamedName = name;
  renamedName.back() = 'A';
  parent.OpenUpChild(name);
  if (!parent.IsOpen() || !parent.Has(name)) return 1;
  std::string renamed = path;
  renamed.back() = 'A';
  // Never over an existing entry: that would lose a folder the user still has to look at.
  if (parent.RenameNoReplace(name, renamedName)) {
    m_ui.ShowMessage(msg::Format(msg::kRenamed, {path, renamed}));
  } else {
    m_ui.ShowMessage(msg::Format(msg::kNotRenamed, {path}));
  }
  return 1;
}

}  // namespace talvenor
