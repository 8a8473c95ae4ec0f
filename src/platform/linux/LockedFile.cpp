#include "platform/LockedFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryNames.h"

namespace talvenor::platform {
namespace {

int OpenFlags(LockedFile::Mode mode) {
  switch (mode) {
    case LockedFile::Mode::ReadExisting:
      return O_RDONLY;
    case LockedFile::Mode::ReadWriteExisting:
      return O_RDWR;
    case LockedFile::Mode::ReadWriteCreate:
      return O_RDWR | O_CREAT;
  }
  return O_RDONLY;
}

}  // namespace

bool WriteAllTo(int fd, std::string_view data) {
  if (InjectedWriteFailure(data.size())) {
    errno = ENOSPC;
    return false;
  }
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool LockedFile::Open(const std::string& path, Mode mode) {
  Close();
  // Non-blocking, so a FIFO put where the file was is refused below instead of hanging the open.
  const int fd = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
    ::close(fd);
    errno = EISDIR;
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return false;
  }
  // Cut only once the lock is ours, so a holder elsewhere never sees its file emptied.
  if (mode == Mode::ReadWriteCreate && ::ftruncate(fd, 0) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return false;
  }
  m_fd = fd;
  m_path = path;
  return true;
}

void LockedFile::Close() {
  if (m_fd >= 0) {
    ::close(m_fd);  // releases the lock
    m_fd = -1;
  }
}

bool LockedFile::Append(std::string_view data) {
  if (m_fd < 0) {
    errno = EBADF;
    return false;
  }
  if (::lseek(m_fd, 0, SEEK_END) < 0) return false;
  return WriteAllTo(m_fd, data);
}

std::int64_t LockedFile::Size() const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return -1;
  return st.st_size;
}

std::int64_t LockedFile::StoredBytes() const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return -1;
  return std::min<std::int64_t>(st.st_size, static_cast<std::int64_t>(st.st_blocks) * 512);
}

bool LockedFile::IsStillAt(const std::string& path) const {
  struct stat open {};
  struct stat named {};
  return m_fd >= 0 && ::fstat(m_fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

bool LockedFile::Sync() { return m_fd >= 0 && ::fdatasync(m_fd) == 0; }

bool ReplaceFileAtomically(const std::string& path, const std::function<bool(const PiecePut& put)>& produce) {
  // Opened as the file it replaces would be opened for writing: a lock held on it, or a file
  // made read-only, refuses the save. The rename alone would replace it all the same.
  LockedFile current;
  if (!current.Open(path, LockedFile::Mode::ReadWriteExisting) && errno != ENOENT) return false;
  // A replaced file keeps the mode it had.
  struct stat st {};
  const mode_t mode = current.IsOpen() && ::fstat(current.Descriptor(), &st) == 0 ? (st.st_mode & 0777) : 0644;
  return ReplaceThroughTemporary(path, mode, [&produce](int fd) {
    return produce([fd](std::string_view piece) { return WriteAllTo(fd, piece); });
  });
}

bool ReplaceThroughTemporary(const std::string& path, unsigned mode, const std::function<bool(int fd)>& write) {
  std::string tmpl = path + std::string(kReplacementMarker) + "XXXXXX";
  const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);  // made 0600: opened up only to mode below
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, mode & 0777) == 0 && write(fd) && ::fsync(fd) == 0;
  int err = errno;
  ::close(fd);
  if (ok && !RenameReplace(tmpl, path)) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(tmpl.c_str());
    errno = err;
    return false;
  }
  SyncFolder(ParentFolder(path));
  return true;
}

}  // namespace talvenor::platform
