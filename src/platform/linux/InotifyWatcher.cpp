#include "platform/linux/InotifyWatcher.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/DirReader.h"
#include "platform/FileSystem.h"

namespace talvenor::platform {
namespace {

// Never IN_OPEN or IN_ACCESS: the program's own scans would flood the queue.
constexpr std::uint32_t kFileEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB;
// The watched folder may be given as a link to a folder; links met below it are never followed.
constexpr std::uint32_t kRootMask = kFileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;
constexpr std::uint32_t kWatchMask = kRootMask | IN_DONT_FOLLOW;
// While the watched folder is gone, look for its return this often.
constexpr int kRootRetryMs = 1000;
// A remount, or a parent renamed away and the path made again, sends no event to the watches:
// this often the path is checked to still name the folder that is watched.
constexpr int kRootCheckMs = 2000;

// Device and inode of the folder a path names (links followed); nothing when it is no folder.
std::optional<std::pair<std::uint64_t, std::uint64_t>> FolderIdentity(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return std::make_pair(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
}

std::string Join(const std::string& folder, const char* name) { return TouchedFolderCollector::Join(folder, name); }

bool IsUnder(const std::string& path, const std::string& prefix) {
  return path == prefix ||
         (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 && path[prefix.size()] == '/');
}

}  // namespace

InotifyWatcher::~InotifyWatcher() { Close(); }

bool InotifyWatcher::Open(const std::string& root) {
  if (!OpenUnwatched(root)) return false;
  WatchTree(m_root);
  WatchesAdded();
  return true;
}

bool InotifyWatcher::OpenUnwatched(const std::string& root) {
  Close();
  m_root = root;
  while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
  if (m_root.empty()) m_root = "/";
  m_inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  m_wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (m_inotifyFd < 0 || m_wakeFd < 0) {
    // ENOSPC/EMFILE here is the per-user instance limit: poll rather than see nothing.
    if (m_inotifyFd < 0 && (errno == EMFILE || errno == ENOSPC)) m_pollingMode = true;
    return false;
  }
  const std::string& own = m_touched.OwnFolder();
  m_ignoredIdentity = own.empty() ? std::nullopt : FolderIdentity(own);
  return true;
}

void InotifyWatcher::WatchFolder(const std::string& folder) {
  if (m_pollingMode || m_inotifyFd < 0) return;
  // The system calls on the caller's thread; only the maps are shared.
  const std::optional<NewWatch> made =
      MakeWatch(folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder);
  if (!made) return;
  std::lock_guard lock(m_walkMutex);
  RecordWatch(*made);
}

void InotifyWatcher::WatchesAdded() {
  const auto it = m_wds.find(m_root);
  m_rootWd = it == m_wds.end() ? -1 : it->second;
  m_rootLost = m_rootWd < 0 && !m_pollingMode;
  m_lastRootCheck = std::chrono::steady_clock::now();
}

std::optional<InotifyWatcher::NewWatch> InotifyWatcher::MakeWatch(const std::string& folder) {
  NewWatch made;
  made.folder = folder;
  made.isRoot = folder == m_root;
  // Taken before the watch: should the path change in between, the next check tells.
  if (made.isRoot)
    made.rootIdentity = FolderIdentity(folder).value_or(std::make_pair(std::uint64_t{0}, std::uint64_t{0}));
  made.wd = ::inotify_add_watch(m_inotifyFd, folder.c_str(), made.isRoot ? kRootMask : kWatchMask);
  if (made.wd < 0) {
    // ENOSPC from inotify_add_watch is the per-user watch limit, not a full disk.
    if (errno == ENOSPC) m_pollingMode = true;
    return std::nullopt;
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) {
    made.mode = st.st_mode & 07777;
    made.ignored = m_ignoredIdentity && S_ISDIR(st.st_mode) &&
                   *m_ignoredIdentity ==
                       std::make_pair(static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino));
  }
  return made;
}

void InotifyWatcher::RecordWatch(const NewWatch& made) {
  const auto old = m_paths.find(made.wd);
  if (old != m_paths.end()) ForgetPath(old->second, made.wd);
  m_paths[made.wd] = made.folder;
  m_wds[made.folder] = made.wd;
  m_modes[made.wd] = made.mode;
  if (made.isRoot) m_rootIdentity = made.rootIdentity;
  if (made.ignored) m_ignoredWd = made.wd;
  if (!m_movedFrom.empty()) m_watchedAgain.insert(made.wd);
}

void InotifyWatcher::ForgetPath(const std::string& path, int wd) {
  // Another folder may have taken the name meanwhile: its watch stays known.
  const auto it = m_wds.find(path);
  if (it != m_wds.end() && it->second == wd) m_wds.erase(it);
}

int InotifyWatcher::AddWatch(const std::string& folder) {
  const std::optional<NewWatch> made = MakeWatch(folder);
  if (!made) return -1;
  RecordWatch(*made);
  return made->wd;
}

bool InotifyWatcher::WatchTree(const std::string& folder) {
  // Once in polling mode every tick runs a pass anyway; more watches would only fail.
  if (m_pollingMode) return false;
  if (folder != m_root && m_touched.Skips(folder, true)) return false;
  // Watch first, then list: a file made in between is either listed or reported.
  if (AddWatch(folder) < 0) return false;
  DirReader reader;
  reader.SetKindsOnly(true);  // only folders are watched: no file needs looking at
  if (reader.Open(folder) != kSearchOk) return false;
  bool sawFile = false;
  std::vector<std::string> subfolders;
  DirEntry entry;
  while (reader.Next(entry)) {
    if (entry.kind == EntryKind::Folder) {
      subfolders.push_back(Join(folder, entry.name.c_str()));
    } else {
      sawFile = true;
    }
  }
  reader.Close();
  for (const std::string& sub : subfolders) sawFile = WatchTree(sub) || sawFile;
  return sawFile;
}

void InotifyWatcher::RenameWatches(const std::string& from, const std::string& to) {
  std::vector<std::pair<int, std::string>> moved;
  for (const auto& [wd, path] : m_paths) {
    if (IsUnder(path, from)) moved.emplace_back(wd, to + path.substr(from.size()));
  }
  for (auto& [wd, path] : moved) {
    ForgetPath(m_paths[wd], wd);
    m_wds[path] = wd;
    m_paths[wd] = std::move(path);
  }
}

void InotifyWatcher::DropAllWatches() {
  m_touched.EventsLost();  // whatever the path names next is news to the whole of the next pass
  for (const auto& [wd, path] : m_paths) ::inotify_rm_watch(m_inotifyFd, wd);
  m_paths.clear();
  m_wds.clear();
  m_modes.clear();
  m_rootWd = -1;
  m_rootLost = true;
}

void InotifyWatcher::DropWatches(const std::vector<int>& wds) {
  for (const int wd : wds) {
    const auto it = m_paths.find(wd);
    // Watched again since it left: the folder came back, or the watch is another folder's now.
    if (it == m_paths.end() || m_watchedAgain.count(wd) != 0) continue;
    ::inotify_rm_watch(m_inotifyFd, wd);
    ForgetPath(it->second, wd);
    m_modes.erase(wd);
    m_paths.erase(it);
  }
}

std::vector<int> InotifyWatcher::WatchesUnder(const std::string& prefix) const {
  std::vector<int> wds;
  for (const auto& [wd, path] : m_paths) {
    if (IsUnder(path, prefix)) wds.push_back(wd);
  }
  return wds;
}

bool InotifyWatcher::HandleBatch(const char* data, long length) {
  bool changed = false;
  for (long offset = 0; offset < length;) {
    const auto* ev = reinterpret_cast<const inotify_event*>(data + offset);
    offset += static_cast<long>(sizeof(inotify_event) + ev->len);
    if (ev->mask & IN_Q_OVERFLOW) {
      // Events were lost, folder creations among them: watch whatever is new, and rescan.
      WatchTree(m_root);
      m_touched.EventsLost();
      changed = true;
      continue;
    }
    const auto it = m_paths.find(ev->wd);
    if (it == m_paths.end()) continue;
    if (ev->mask & IN_IGNORED) {
      ForgetPath(it->second, ev->wd);
      m_modes.erase(it->first);
      m_paths.erase(it);
      if (ev->wd == m_rootWd) m_rootLost = true;
      continue;
    }
    if (ev->wd == m_rootWd && (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF))) {
      // The watched folder itself went away: its watches describe nothing any more, and a pass
      // tells the user (the files inside went too, even when they did so without events).
      DropAllWatches();
      changed = true;
      continue;
    }
    if (ev->len == 0) {
      if (ev->mask & IN_ATTRIB) changed = FolderModeChanged(ev->wd) || changed;
      continue;
    }
    if (!(ev->mask & IN_ISDIR)) {
      if (ev->mask & kFileEvents)
        changed = m_touched.FileChanged(it->second, ev->name, ev->wd == m_ignoredWd) || changed;
      continue;
    }
    // A folder event raises nothing by itself; a folder that arrives holding files does.
    // The next pass lists the folder's parent again, and what arrived with all it holds.
    const std::string path = Join(it->second, ev->name);
    if (ev->mask & (IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE)) m_touched.ListingChanged(it->second);
    if (ev->mask & IN_MOVED_FROM) {
      // The watches that left, by descriptor: should the folder come back before the batch is
      // over (moved out and straight back in), its watches are the same ones, and must stay.
      m_movedFrom[ev->cookie] = {path, WatchesUnder(path)};
      for (const int wd : m_movedFrom[ev->cookie].second) m_watchedAgain.erase(wd);
    } else if (ev->mask & IN_MOVED_TO) {
      m_touched.FolderArrived(path);
      const auto from = m_movedFrom.find(ev->cookie);
      if (from != m_movedFrom.end()) {
        RenameWatches(from->second.first, path);  // renamed inside the tree: same folders, new names
        m_movedFrom.erase(from);
        if (m_touched.Skips(path, true)) DropWatches(WatchesUnder(path));  // to a name left out
        // A folder made inside it before the rename was read could not be watched under the
        // old name: watch whatever it holds now.
        WatchTree(path);
      } else {
        changed = WatchTree(path) || changed;
      }
    } else if (ev->mask & IN_CREATE) {
      m_touched.FolderArrived(path);
      changed = WatchTree(path) || changed;
    } else if ((ev->mask & IN_ATTRIB) && m_wds.count(path) == 0) {
      // A folder that could not be read may just have become readable.
      m_touched.FolderArrived(path);
      changed = WatchTree(path) || changed;
    }
  }
  return changed;
}

bool InotifyWatcher::FolderModeChanged(int wd) {
  const std::string path = m_paths[wd];
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  const unsigned mode = st.st_mode & 07777;
  if (std::exchange(m_modes[wd], mode) == mode) return false;  // a time or owner, not the mode
  m_touched.FolderArrived(path);
  // Made unreadable: the files the last pass recorded below it are gone from a scan, and the
  // denial is news to the user. Asked with the rights the listing will use.
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK | X_OK, AT_EACCESS) != 0) return true;
  return WatchTree(path);
}

bool InotifyWatcher::RecoverRoot() {
  if (!IsFolder(m_root)) return false;
  m_rootLost = false;
  const bool sawFile = WatchTree(m_root);
  const auto it = m_wds.find(m_root);
  m_rootWd = it == m_wds.end() ? -1 : it->second;
  if (m_rootWd < 0 && !m_pollingMode) m_rootLost = true;
  // Another folder than the one watched before: all it holds is news to the next pass.
  const bool news = m_rootWd >= 0 || sawFile;
  if (news) m_touched.EventsLost();
  return news;
}

void InotifyWatcher::CheckRootIdentity() {
  m_lastRootCheck = std::chrono::steady_clock::now();
  if (m_rootLost || m_pollingMode) return;
  const auto identity = FolderIdentity(m_root);
  if (identity && *identity == m_rootIdentity) return;
  // Gone, or another folder under the same name: the watches follow the old one, not the path.
  DropAllWatches();
}

InotifyWatcher::StepResult InotifyWatcher::Step(int timeoutMs) {
  if (m_inotifyFd < 0 || m_wakeFd < 0) return StepResult::Failed;
  const int bound = m_rootLost ? kRootRetryMs : kRootCheckMs;
  const int timeout = timeoutMs < 0 || timeoutMs > bound ? bound : timeoutMs;
  pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_inotifyFd, POLLIN, 0}};
  const int ready = ::poll(fds, 2, timeout);
  if (ready < 0) return errno == EINTR ? StepResult::Nothing : StepResult::Failed;
  // The stop request is left unread, so every later Step reports it too.
  if (fds[0].revents & POLLIN) return StepResult::Stopped;
  bool changed = false;
  if (fds[1].revents & POLLIN) {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t length = ::read(m_inotifyFd, buffer, sizeof buffer);
      if (length <= 0) break;
      changed = HandleBatch(buffer, length) || changed;
    }
  }
  // A folder moved out of the tree: its watches would report on files no longer ours.
  for (const auto& [cookie, left] : m_movedFrom) DropWatches(left.second);
  m_movedFrom.clear();
  m_watchedAgain.clear();
  if (ready == 0 || std::chrono::steady_clock::now() - m_lastRootCheck >= std::chrono::milliseconds(kRootCheckMs)) {
    CheckRootIdentity();
  }
  if (m_rootLost) changed = RecoverRoot() || changed;
  return changed ? StepResult::Changed : StepResult::Nothing;
}

void InotifyWatcher::RequestStop() {
  if (m_wakeFd < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

void InotifyWatcher::Close() {
  if (m_inotifyFd >= 0) ::close(m_inotifyFd);
  if (m_wakeFd >= 0) ::close(m_wakeFd);
  m_inotifyFd = m_wakeFd = -1;
  m_rootWd = -1;
  m_rootLost = false;
  m_paths.clear();
  m_wds.clear();
  m_modes.clear();
  m_movedFrom.clear();
  m_watchedAgain.clear();
  m_touched.Clear();
  m_pollingMode = false;
}

}  // namespace talvenor::platform
