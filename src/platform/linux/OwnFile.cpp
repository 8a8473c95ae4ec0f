#include "platform/OwnFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/LockedFile.h"

namespace talvenor::platform {
namespace {

// Non-blocking, so that a FIFO planted under the name cannot hold the pass.
constexpr int kOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

bool IsOurs(int fd, struct stat& st) {
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
}

}  // namespace

std::optional<std::string> ReadOwnFile(const FolderHandle& folder, const std::string& name, std::size_t maxBytes) {
  const int fd = ::openat(folder.Descriptor(), name.c_str(), O_RDONLY | kOpenFlags);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<std::string> text;
  if (IsOurs(fd, st) && static_cast<std::uint64_t>(st.st_size) <= maxBytes) {
    text.emplace(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < text->size()) {
      const ssize_t n = ::pread(fd, text->data() + done, text->size() - done, static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    text->resize(done);
  }
  ::close(fd);
  return text;
}

bool AppendOwnLine(const FolderHandle& folder, const std::string& name, std::string_view line) {
  std::string text(line);
  text += '\n';
  const int fd = ::openat(folder.Descriptor(), name.c_str(), O_RDWR | O_APPEND | O_CREAT | kOpenFlags, 0600);
  struct stat st {};
  if (fd < 0 || !IsOurs(fd, st)) {
    if (fd >= 0) ::close(fd);
    return ReplaceOwnFile(folder, name, text);
  }
  char last = '\n';
  if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n') text.insert(0, 1, '\n');
  const bool ok = WriteAllTo(fd, text);
  ::close(fd);
  return ok;
}

bool ReplaceOwnFile(const FolderHandle& folder, const std::string& name, std::string_view text) {
  const int dir = folder.Descriptor();
  // A leftover of a crash, or anything planted under the temporary's name, goes first.
  const std::string temporary = name + ".new";
  ::unlinkat(dir, temporary.c_str(), 0);
  const int fd = ::openat(dir, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenFlags, 0600);
  if (fd < 0) return false;
  bool ok = WriteAllTo(fd, text);
  ::close(fd);
  // rename replaces the entry itself, never what a link there points to.
  ok = ok && ::renameat(dir, temporary.c_str(), dir, name.c_str()) == 0;
  if (!ok) ::unlinkat(dir, temporary.c_str(), 0);
  return ok;
}

}  // namespace talvenor::platform
