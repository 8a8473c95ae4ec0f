#include "platform/FileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace talvenor::platform {

ReadOutcome ReadSmallFile(const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Unreadable;
  struct stat st {};
  ReadOutcome outcome = ReadOutcome::Read;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > limit) {
    outcome = ReadOutcome::Unreadable;
  }
  char buffer[16 * 1024];
  while (outcome == ReadOutcome::Read) {
    const ssize_t length = ::read(fd, buffer, sizeof buffer);
    if (length < 0 && errno == EINTR) continue;
    if (length < 0 || out.size() + static_cast<std::size_t>(length) > limit) outcome = ReadOutcome::Unreadable;
    if (length <= 0) break;
    out.append(buffer, static_cast<std::size_t>(length));
  }
  ::close(fd);
  if (outcome != ReadOutcome::Read) out.clear();
  return outcome;
}

}  // namespace talvenor::platform
