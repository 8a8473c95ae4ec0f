#include "platform/FolderFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/LockedFile.h"

namespace talvenor::platform {
namespace {

// Non-blocking, so a FIFO under the name cannot hang the caller; refused unless regular.
int OpenRegularAt(int dir, const char* name, int flags) {
  const int fd = ::openat(dir, name, flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  ::close(fd);
  errno = EINVAL;
  return -1;
}

bool ReadAll(int fd, std::size_t limit, std::string& out) {
  out.clear();
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0)
    out.reserve(std::min<std::size_t>(limit, static_cast<std::size_t>(st.st_size)));
  char buffer[1 << 16];
  while (out.size() < limit) {
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, limit - out.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

bool ReadAndClose(int fd, std::size_t limit, std::string& out) {
  if (fd < 0) return false;
  const bool ok = ReadAll(fd, limit, out);
  const int err = errno;
  ::close(fd);
  errno = err;
  return ok;
}

}  // namespace

bool AppendFile::Open(const FolderHandle& folder, const std::string& name) {
  Close();
  m_fd = OpenRegularAt(folder.Descriptor(), name.c_str(), O_RDWR | O_APPEND | O_CREAT);
  return m_fd >= 0;
}

bool AppendFile::Append(std::string_view data) { return m_fd >= 0 && WriteAllTo(m_fd, data); }

bool AppendFile::EmptyOrEndsWith(char c) const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return false;
  char last = 0;
  return st.st_size == 0 || (::pread(m_fd, &last, 1, st.st_size - 1) == 1 && last == c);
}

void AppendFile::Close() {
  if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
}

bool ReadFileIn(const FolderHandle& folder, const std::string& name, std::size_t limit, std::string& out) {
  out.clear();
  return ReadAndClose(OpenRegularAt(folder.Descriptor(), name.c_str(), O_RDONLY), limit, out);
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  return ReadAndClose(OpenRegularAt(AT_FDCWD, path.c_str(), O_RDONLY), limit, out);
}

std::optional<EntryStatus> StatFileIn(const FolderHandle& folder, const std::string& name) {
  struct stat st {};
  if (name.empty() || ::fstatat(folder.Descriptor(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(st.st_mode))
    return std::nullopt;
  return EntryStatus{static_cast<std::uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

}  // namespace talvenor::platform
