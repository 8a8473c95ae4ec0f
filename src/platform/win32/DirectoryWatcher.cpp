#include "platform/win32/DirectoryWatcher.h"

#include <algorithm>

#include "platform/PathText.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

// Names, sizes and write times, and folder names too, since a folder renamed or
// moved in brings files that no other event names.
constexpr DWORD kFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                          FILE_NOTIFY_CHANGE_LAST_WRITE;
// The largest buffer a watch on a network share accepts.
constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr auto kRootCheckInterval = std::chrono::seconds(2);

std::string WithoutSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\') && path[path.size() - 2] != ':') {
    path.pop_back();
  }
  return path;
}

std::pair<unsigned long long, unsigned long long> IdentityOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h, &info)) return {0, 0};
  return {info.dwVolumeSerialNumber, (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::pair<unsigned long long, unsigned long long> IdentityOf(const std::string& path) {
  win32::Handle h(::CreateFileW(win32::LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h.Valid() ? IdentityOf(h.Get()) : std::pair<unsigned long long, unsigned long long>{0, 0};
}

}  // namespace

DirectoryWatcher::~DirectoryWatcher() { Close(); }

bool DirectoryWatcher::Open(const std::string& root) {
  Close();
  m_root = WithoutSeparator(root);
  m_buffer.assign(kBufferBytes, 0);
  m_io = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_overlapped = new OVERLAPPED{};
  if (m_io == nullptr || m_stop == nullptr) {
    Close();
    return false;
  }
  // A folder that cannot be watched now is watched once it can be: a pass tells the user.
  if (!OpenRoot()) m_touched.EventsLost();
  return true;
}

bool DirectoryWatcher::OpenRoot() {
  const HANDLE dir = ::CreateFileW(win32::LongPath(m_root).c_str(), FILE_LIST_DIRECTORY,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  m_lastRootCheck = std::chrono::steady_clock::now();
  if (dir == INVALID_HANDLE_VALUE) return false;
  m_dir = dir;
  m_rootIdentity = IdentityOf(dir);
  if (Issue()) return true;
  CloseRoot();
  return false;
}

void DirectoryWatcher::CloseRoot() {
  if (m_dir == nullptr) return;
  if (m_pending) {
    ::CancelIoEx(m_dir, static_cast<OVERLAPPED*>(m_overlapped));
    DWORD bytes = 0;
    ::GetOverlappedResult(m_dir, static_cast<OVERLAPPED*>(m_overlapped), &bytes, TRUE);
    m_pending = false;
  }
  ::CloseHandle(m_dir);
  m_dir = nullptr;
}

bool DirectoryWatcher::Issue() {
  auto* overlapped = static_cast<OVERLAPPED*>(m_overlapped);
  *overlapped = OVERLAPPED{};
  overlapped->hEvent = m_io;
  ::ResetEvent(m_io);
  m_pending = ::ReadDirectoryChangesW(m_dir, m_buffer.data(), static_cast<DWORD>(m_buffer.size()), TRUE, kFilter,
                                      nullptr, overlapped, nullptr);
  return m_pending;
}

bool DirectoryWatcher::HandleBatch(std::size_t bytes) {
  bool changed = false;
  const std::string base = TouchedFolderCollector::Join(m_root, "");
  const std::string ownFolder = WithoutSeparator(m_touched.OwnFolder());
  for (std::size_t offset = 0; offset < bytes;) {
    const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(m_buffer.data() + offset);
    // Names below the root, joined as the engine joins them, so they name the folders it lists.
    const std::string relative = win32::Utf8(std::wstring_view(info->FileName, info->FileNameLength / sizeof(wchar_t)));
    const auto slash = relative.find_last_of(kSeparator);
    const std::string parent = slash == std::string::npos ? m_root : base + relative.substr(0, slash);
    const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
    const std::string full = base + relative;
    const DWORD attributes = ::GetFileAttributesW(win32::LongPath(full).c_str());
    const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                          !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    // The one watch sees inside folders left out too; their events are dropped here instead.
    if (InSkippedFolder(relative)) {
      if (info->NextEntryOffset == 0) break;
      offset += info->NextEntryOffset;
      continue;
    }
    const bool inOwnFolder = !ownFolder.empty() && WithoutSeparator(parent) == ownFolder;
    switch (info->Action) {
      case FILE_ACTION_ADDED:
      case FILE_ACTION_RENAMED_NEW_NAME:
      case FILE_ACTION_REMOVED:
      case FILE_ACTION_RENAMED_OLD_NAME:
        if (isFolder) {
          // Made or renamed in, it brings all it holds. A name that is gone reads as a file.
          if (info->Action == FILE_ACTION_ADDED || info->Action == FILE_ACTION_RENAMED_NEW_NAME)
            m_touched.FolderArrived(full);
          m_touched.ListingChanged(parent);
          changed = true;
        } else {
          changed = m_touched.FileChanged(parent, name, inOwnFolder) || changed;
        }
        break;
      case FILE_ACTION_MODIFIED:
        // A folder's own time moves with every name inside it, which has its own event.
        if (!isFolder) changed = m_touched.FileChanged(parent, name, inOwnFolder) || changed;
        break;
      default:
        break;
    }
    if (info->NextEntryOffset == 0) break;
    offset += info->NextEntryOffset;
  }
  return changed;
}

bool DirectoryWatcher::InSkippedFolder(const std::string& relative) const {
  const std::string base = TouchedFolderCollector::Join(m_root, "");
  for (auto slash = relative.find(kSeparator); slash != std::string::npos;
       slash = relative.find(kSeparator, slash + 1)) {
    if (m_touched.Skips(base + relative.substr(0, slash), true)) return true;
  }
  return false;
}

bool DirectoryWatcher::RootMoved() {
  if (std::chrono::steady_clock::now() - m_lastRootCheck < kRootCheckInterval) return false;
  m_lastRootCheck = std::chrono::steady_clock::now();
  if (m_dir == nullptr) {
    // Gone before: watched anew once the path names a folder again.
    if (!OpenRoot()) return false;
    m_touched.EventsLost();
    return true;
  }
  if (IdentityOf(m_root) == m_rootIdentity) return false;
  // Gone, or another folder under the same name: the watch follows the old one, not the path.
  CloseRoot();
  m_touched.EventsLost();
  OpenRoot();
  return true;
}

DirectoryWatcher::StepResult DirectoryWatcher::Step(int timeoutMs) {
  if (m_io == nullptr || m_stop == nullptr) return StepResult::Failed;
  if (::WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0) return StepResult::Stopped;
  if (RootMoved()) return StepResult::Changed;
  const DWORD limit = 2000;
  const DWORD wait = timeoutMs < 0 ? limit : std::min<DWORD>(limit, static_cast<DWORD>(timeoutMs));
  if (m_dir == nullptr) {
    return ::WaitForSingleObject(m_stop, wait) == WAIT_OBJECT_0 ? StepResult::Stopped : StepResult::Nothing;
  }
  const HANDLE events[2] = {m_stop, m_io};
  const DWORD woke = ::WaitForMultipleObjects(2, events, FALSE, wait);
  if (woke == WAIT_OBJECT_0) return StepResult::Stopped;
  if (woke != WAIT_OBJECT_0 + 1) return StepResult::Nothing;
  DWORD bytes = 0;
  const BOOL done = ::GetOverlappedResult(m_dir, static_cast<OVERLAPPED*>(m_overlapped), &bytes, FALSE);
  m_pending = false;
  const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
  bool changed = false;
  if (done && bytes > 0) {
    changed = HandleBatch(bytes);
  } else if (done || error == ERROR_NOTIFY_ENUM_DIR) {
    // More changes than the buffer holds: which folders they touched is lost.
    m_touched.EventsLost();
    changed = true;
  } else {
    // The watched folder itself went away: a pass tells the user, and the watch comes back
    // with the folder.
    CloseRoot();
    m_touched.EventsLost();
    return StepResult::Changed;
  }
  if (!Issue()) {
    CloseRoot();
    m_touched.EventsLost();
    changed = true;
  }
  return changed ? StepResult::Changed : StepResult::Nothing;
}

void DirectoryWatcher::RequestStop() {
  if (m_stop != nullptr) ::SetEvent(m_stop);
}

void DirectoryWatcher::Close() {
  CloseRoot();
  if (m_io != nullptr) ::CloseHandle(std::exchange(m_io, nullptr));
  if (m_stop != nullptr) ::CloseHandle(std::exchange(m_stop, nullptr));
  delete static_cast<OVERLAPPED*>(std::exchange(m_overlapped, nullptr));
  m_touched.Clear();
}

}  // namespace talvenor::platform
