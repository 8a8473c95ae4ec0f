#include <cerrno>
#include <utility>
#include <vector>

#include "backup/BackupStore.h"
#include "core/Messages.h"
#include "core/SearchOutcome.h"
#include "platform/DirReader.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

std::string WithoutTrailingSeparator(const std::string& path) {
  return path.size() > 1 && path.back() == platform::kSeparator ? path.substr(0, path.size() - 1) : path;
}

std::string LastName(const std::string& path) { return path.substr(path.find_last_of(platform::kSeparator) + 1); }

// Folders held open at once while emptying. A folder let go of is reached again by name from
// the outermost level, never through "..", which could have been moved out of the backup
// folder meanwhile.
constexpr std::size_t kHeldLevels = 64;

struct Level {
  std::string name;  // inside the level above
  platform::FolderHandle folder;
  std::pair<unsigned long long, unsigned long long> identity;
  std::vector<platform::FolderEntry> entries;
  std::size_t next = 0;
  bool emptied = true;
};

// Opens name inside parent and lists it as the new innermost level: -1 then; else the level's
// result without walking it (1 emptied or passed over, 0 failed).
int EnterLevel(const platform::FolderHandle& parent, const std::string& name, bool listedByParent,
               std::vector<Level>& levels, UiPort& ui) {
  platform::FolderHandle folder = parent.ChildToEmpty(name);
  // A link or a file swapped in for the folder since it was listed is removed as itself;
  // nothing it points to is ever listed, changed or deleted.
  if (!folder.IsOpen() && (errno == ENOTDIR || errno == ELOOP)) return parent.RemoveEntry(name) ? 1 : 0;
  // Denied or not ready is reported yet counted as emptied: the removal of the folder then
  // fails and says so.
  const int code = folder.IsOpen() ? platform::kSearchOk : platform::DirReader::CodeForErrno(errno, listedByParent);
  // The terminal names the folder from the generation down; the window shows the text alone.
  std::string where;
  for (const Level& outer : levels) where += outer.name + platform::kSeparatorText;
  switch (ReportSearchCode(code, ui, where + name)) {
    case SearchOutcome::Walk:
      break;
    case SearchOutcome::Skip:
      return 1;
    case SearchOutcome::Fail:
      return 0;
  }
  Level level{name, std::move(folder), {}, {}, 0, true};
  level.identity = level.folder.Identity();
  // The whole listing first: entries removed while a folder is being read may make some
  // file systems skip others.
  level.emptied = level.folder.List(level.entries);
  platform::Step("folder-listed");
  levels.push_back(std::move(level));
  if (levels.size() > kHeldLevels + 1) levels[levels.size() - 1 - kHeldLevels].folder.Close();
  return -1;
}

// Opens the innermost level again if it was let go of; false when a name on the way no longer
// leads to the folder that was listed.
bool ReachAgain(std::vector<Level>& levels) {
  const std::size_t top = levels.size() - 1;
  if (levels[top].folder.IsOpen()) return true;
  std::size_t from = top;
  while (!levels[from - 1].folder.IsOpen()) --from;  // the outermost level stays open
  const std::size_t keepFrom = top >= kHeldLevels ? top + 1 - kHeldLevels : 1;
  platform::FolderHandle passing;
  const platform::FolderHandle* at = &levels[from - 1].folder;
  for (std::size_t i = from; i <= top; ++i) {
    platform::FolderHandle next = at->Child(levels[i].name);
    if (!next.IsOpen() || next.Identity() != levels[i].identity) return false;
    if (i >= keepFrom) {
      levels[i].folder = std::move(next);
      at = &levels[i].folder;
    } else {
      passing = std::move(next);
      at = &passing;
    }
  }
  return true;
}

}  // namespace

int BackupStore::EmptyFolder(const std::string& folder) {
  const std::string path = WithoutTrailingSeparator(folder);
  const platform::FolderHandle parent = platform::FolderHandle::Open(platform::ParentFolder(path));
  if (!parent.IsOpen()) {
    ReportSearchCode(platform::DirReader::CodeForErrno(errno, false), m_ui, path);
    return 0;
  }
  return EmptyLevel(parent, LastName(path), false);
}

int BackupStore::EmptyLevel(const platform::FolderHandle& parent, const std::string& name, bool listedByParent) {
  std::vector<Level> levels;
  const int result = EnterLevel(parent, name, listedByParent, levels, m_ui);
  if (result >= 0) return result;
  // Deepest level first, without recursion: a tree of any depth costs neither stack nor more
  // than kHeldLevels descriptors.
  for (;;) {
    Level& level = levels.back();
    if (level.next < level.entries.size()) {
      const platform::FolderEntry entry = level.entries[level.next++];
      // Every kind of entry goes: files, links (never what they point to), FIFOs, sockets,
      // devices. Only a folder is given permissions back; a file needs none to be deleted.
      if (!entry.folder) {
        if (level.folder.RemoveEntry(entry.name)) continue;
        if (errno != EISDIR) {  // a folder swapped in since the listing is emptied below
          level.emptied = false;
          continue;
        }
      }
      const int entered = EnterLevel(level.folder, entry.name, true, levels, m_ui);
      if (entered < 0) continue;
      // A folder that vanished meanwhile is gone, as wanted.
      if (entered == 0 || !(level.folder.RemoveChild(entry.name) || errno == ENOENT)) level.emptied = false;
      continue;
    }
    Level done = std::move(level);
    levels.pop_back();
    if (levels.empty()) return done.emptied ? 1 : 0;
    done.folder.Close();
    // Someone moved folders around while they were emptied: left for the next pruning.
    if (!ReachAgain(levels)) return 0;
    Level& outer = levels.back();
    if (!done.emptied || !(outer.folder.RemoveChild(done.name) || errno == ENOENT)) outer.emptied = false;
  }
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
