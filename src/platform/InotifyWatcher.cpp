#include "platform/InotifyWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/DirReader.h"
#include "platform/FileSystem.h"

namespace talvenor::platform {
namespace {

// Never IN_OPEN or IN_ACCESS: the program's own scans would flood the queue.
constexpr std::uint32_t kFileEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB;
constexpr std::uint32_t kWatchMask =
    kFileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
// While the watched folder is gone, look for its return this often.
constexpr int kRootRetryMs = 1000;

std::string Join(const std::string& folder, const char* name) {
  return folder == "/" ? "/" + std::string(name) : folder + "/" + name;
}

bool IsUnder(const std::string& path, const std::string& prefix) {
  return path == prefix ||
         (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 && path[prefix.size()] == '/');
}

}  // namespace

InotifyWatcher::~InotifyWatcher() { Close(); }

bool InotifyWatcher::Open(const std::string& root) {
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
  WatchTree(m_root);
  const auto it = m_wds.find(m_root);
  m_rootWd = it == m_wds.end() ? -1 : it->second;
  m_rootLost = m_rootWd < 0 && !m_pollingMode;
  return true;
}

int InotifyWatcher::AddWatch(const std::string& folder) {
  int wd = -1;
  if (m_fakeLimit) {
    errno = ENOSPC;
  } else {
    wd = ::inotify_add_watch(m_inotifyFd, folder.c_str(), kWatchMask);
  }
  if (wd < 0) {
    // ENOSPC from inotify_add_watch is the per-user watch limit, not a full disk.
    if (errno == ENOSPC) m_pollingMode = true;
    return -1;
  }
  const auto old = m_paths.find(wd);
  if (old != m_paths.end()) m_wds.erase(old->second);
  m_paths[wd] = folder;
  m_wds[folder] = wd;
  return wd;
}

bool InotifyWatcher::WatchTree(const std::string& folder) {
  // Once in polling mode every tick runs a pass anyway; more watches would only fail.
  if (m_pollingMode) return false;
  // Watch first, then list: a file made in between is either listed or reported.
  if (AddWatch(folder) < 0) return false;
  DirReader reader;
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
    m_wds.erase(m_paths[wd]);
    m_wds[path] = wd;
    m_paths[wd] = std::move(path);
  }
}

void InotifyWatcher::DropWatches(const std::string& prefix) {
  for (auto it = m_paths.begin(); it != m_paths.end();) {
    if (IsUnder(it->second, prefix)) {
      ::inotify_rm_watch(m_inotifyFd, it->first);
      m_wds.erase(it->second);
      it = m_paths.erase(it);
    } else {
      ++it;
    }
  }
}

bool InotifyWatcher::HandleBatch(const char* data, long length) {
  bool changed = false;
  for (long offset = 0; offset < length;) {
    const auto* ev = reinterpret_cast<const inotify_event*>(data + offset);
    offset += static_cast<long>(sizeof(inotify_event) + ev->len);
    if (ev->mask & IN_Q_OVERFLOW) {
      // Events were lost, folder creations among them: watch whatever is new, and rescan.
      WatchTree(m_root);
      changed = true;
      continue;
    }
    const auto it = m_paths.find(ev->wd);
    if (it == m_paths.end()) continue;
    if (ev->mask & IN_IGNORED) {
      m_wds.erase(it->second);
      m_paths.erase(it);
      if (ev->wd == m_rootWd) m_rootLost = true;
      continue;
    }
    if (ev->wd == m_rootWd && (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF))) {
      // The watched folder itself went away: its watches describe nothing any more.
      DropWatches(m_root);
      m_paths.clear();
      m_wds.clear();
      m_rootWd = -1;
      m_rootLost = true;
      continue;
    }
    if (ev->len == 0) continue;
    if (!(ev->mask & IN_ISDIR)) {
      if (ev->mask & kFileEvents) changed = true;
      continue;
    }
    // A folder event raises nothing by itself; a folder that arrives holding files does.
    const std::string path = Join(it->second, ev->name);
    if (ev->mask & IN_MOVED_FROM) {
      m_movedFrom[ev->cookie] = path;
    } else if (ev->mask & IN_MOVED_TO) {
      const auto from = m_movedFrom.find(ev->cookie);
      if (from != m_movedFrom.end()) {
        RenameWatches(from->second, path);  // renamed inside the tree: same folders, new names
        m_movedFrom.erase(from);
      } else {
        changed = WatchTree(path) || changed;
      }
    } else if (ev->mask & IN_CREATE) {
      changed = WatchTree(path) || changed;
    } else if ((ev->mask & IN_ATTRIB) && m_wds.count(path) == 0) {
      // A folder that could not be read may just have become readable.
      changed = WatchTree(path) || changed;
    }
  }
  return changed;
}

bool InotifyWatcher::RecoverRoot() {
  if (!IsFolder(m_root)) return false;
  m_rootLost = false;
  const bool sawFile = WatchTree(m_root);
  const auto it = m_wds.find(m_root);
  m_rootWd = it == m_wds.end() ? -1 : it->second;
  if (m_rootWd < 0 && !m_pollingMode) m_rootLost = true;
  return sawFile;
}

InotifyWatcher::StepResult InotifyWatcher::Step(int timeoutMs) {
  if (m_inotifyFd < 0 || m_wakeFd < 0) return StepResult::Failed;
  if (m_fakeOverflow) {
    m_fakeOverflow = false;
    const inotify_event overflow{-1, IN_Q_OVERFLOW, 0, 0};
    return HandleBatch(reinterpret_cast<const char*>(&overflow), sizeof overflow) ? StepResult::Changed
                                                                                  : StepResult::Nothing;
  }
  int timeout = timeoutMs;
  if (m_rootLost && (timeout < 0 || timeout > kRootRetryMs)) timeout = kRootRetryMs;
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
  for (const auto& [cookie, path] : m_movedFrom) DropWatches(path);
  m_movedFrom.clear();
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
  m_movedFrom.clear();
  m_pollingMode = false;
}

}  // namespace talvenor::platform
