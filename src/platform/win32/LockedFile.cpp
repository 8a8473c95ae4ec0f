#include "platform/LockedFile.h"

#include <io.h>

#include <algorithm>
#include <cerrno>

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryNames.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {

bool WriteAllTo(int fd, std::string_view data) {
  if (InjectedWriteFailure(data.size())) {
    errno = ENOSPC;
    return false;
  }
  const HANDLE h = win32::HandleOf(fd);
  while (!data.empty()) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
    if (!::WriteFile(h, data.data(), want, &n, nullptr)) return win32::FailWithLastError();
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data.remove_prefix(n);
  }
  return true;
}

bool LockedFile::Open(const std::string& path, Mode mode) {
  Close();
  const DWORD access = mode == Mode::ReadExisting ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  const DWORD disposition = mode == Mode::ReadWriteCreate ? OPEN_ALWAYS : OPEN_EXISTING;
  // No sharing of reads or writes: what the program's own files are opened with. Deletion is
  // shared so that a finished replacement can be renamed over the file while it is held.
  win32::Handle h(::CreateFileW(win32::LongPath(path).c_str(), access, FILE_SHARE_DELETE, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.Valid()) {
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(win32::LongPath(path).c_str());
    errno = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR
                                                                                             : win32::ErrnoFor(error);
    return false;
  }
  if (::GetFileType(h.Get()) != FILE_TYPE_DISK) {
    errno = EISDIR;
    return false;
  }
  if (mode == Mode::ReadWriteCreate && !::SetEndOfFile(h.Get())) return win32::FailWithLastError();
  m_fd = win32::DescriptorFor(h.Release());
  if (m_fd < 0) {
    errno = EMFILE;
    return false;
  }
  m_path = path;
  return true;
}

void LockedFile::Close() {
  if (m_fd >= 0) {
    ::_close(m_fd);
    m_fd = -1;
  }
}

bool LockedFile::Append(std::string_view data) {
  if (m_fd < 0) {
    errno = EBADF;
    return false;
  }
  LARGE_INTEGER zero{};
  if (!::SetFilePointerEx(win32::HandleOf(m_fd), zero, nullptr, FILE_END)) return win32::FailWithLastError();
  return WriteAllTo(m_fd, data);
}

std::int64_t LockedFile::Size() const {
  LARGE_INTEGER size{};
  if (m_fd < 0 || !::GetFileSizeEx(win32::HandleOf(m_fd), &size)) return -1;
  return size.QuadPart;
}

std::int64_t LockedFile::StoredBytes() const {
  const std::int64_t size = Size();
  if (size < 0) return -1;
  // What the disk holds of it: less than its size for a sparse or compressed file.
  FILE_STANDARD_INFO standard{};
  if (!::GetFileInformationByHandleEx(win32::HandleOf(m_fd), FileStandardInfo, &standard, sizeof standard)) return size;
  return std::min<std::int64_t>(size, standard.AllocationSize.QuadPart);
}

bool LockedFile::IsStillAt(const std::string& path) const {
  if (m_fd < 0) return false;
  // Asking only for attributes is never refused by the sharing mode of our own handle.
  win32::Handle named(::CreateFileW(win32::LongPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  return named.Valid() && ::GetFileInformationByHandle(win32::HandleOf(m_fd), &a) &&
         ::GetFileInformationByHandle(named.Get(), &b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool LockedFile::Sync() { return m_fd >= 0 && ::FlushFileBuffers(win32::HandleOf(m_fd)); }

bool ReplaceFileAtomically(const std::string& path, const std::function<bool(const PiecePut& put)>& produce) {
  // Opened as the file it replaces would be opened for writing: a file another program holds,
  // or one made read-only, refuses the save. The rename alone would replace it all the same.
  LockedFile current;
  if (!current.Open(path, LockedFile::Mode::ReadWriteExisting) && errno != ENOENT) return false;
  current.Close();
  return ReplaceThroughTemporary(path, 0644, [&produce](int fd) {
    return produce([fd](std::string_view piece) { return WriteAllTo(fd, piece); });
  });
}

bool ReplaceThroughTemporary(const std::string& path, unsigned, const std::function<bool(int fd)>& write) {
  std::string tmp;
  win32::Handle h;
  for (int tries = 0; tries < 100 && !h.Valid(); ++tries) {
    tmp = path + std::string(kReplacementMarker) + RandomLetters(6);
    h = win32::Handle(::CreateFileW(win32::LongPath(tmp).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) return win32::FailWithLastError();
  }
  if (!h.Valid()) return win32::FailWithLastError();
  const int fd = win32::DescriptorFor(h.Release());
  if (fd < 0) {
    errno = EMFILE;
    return false;
  }
  bool ok = write(fd) && (::FlushFileBuffers(win32::HandleOf(fd)) || win32::FailWithLastError());
  int err = errno;
  ::_close(fd);
  if (ok && !RenameReplace(tmp, path)) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    RemoveFile(tmp);
    errno = err;
    return false;
  }
  return true;
}

}  // namespace talvenor::platform
