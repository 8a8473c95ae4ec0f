#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/CopyBytes.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"
#include "platform/TemporaryNames.h"

namespace talvenor::platform {
namespace {

// A file for the copy's bytes: unnamed where the file system allows (a crash leaves nothing),
// else hidden under a name of our own, returned in hidden.
int OpenTemporary(const FolderHandle& folder, std::string& hidden) {
  hidden.clear();
  const int fd = ::openat(folder.Descriptor(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  for (int tries = 0; tries < 100; ++tries) {
    std::string name = NewCopyTemporaryName();
    const int made =
        ::openat(folder.Descriptor(), name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (made >= 0) hidden = std::move(name);
    if (made >= 0 || errno != EEXIST) return made;
  }
  return -1;
}

// Gives the finished file its name; fails with EEXIST rather than replace anything.
bool Publish(int fd, const FolderHandle& folder, const std::string& hidden, const std::string& name) {
  const int dir = folder.Descriptor();
  if (hidden.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != ENOENT) return false;
    // Without /proc, name the descriptor itself.
    return ::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH) == 0;
  }
  if (::renameat2(dir, hidden.c_str(), dir, name.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link refuses an existing name as well.
  if (::linkat(dir, hidden.c_str(), dir, name.c_str(), 0) != 0) return false;
  ::unlinkat(dir, hidden.c_str(), 0);
  return true;
}

bool SameVersion(const struct stat& a, const struct stat& b) {
  return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

enum class Attempt { Published, PublishedTorn, Changed, Failed };

// One copy of the open source as it stands in st; st then holds the source's state after it.
Attempt CopyOnce(int in, struct stat& st, const FolderHandle& folder, const std::string& name, bool last,
                 CopiedVersion* version) {
  std::string hidden;
  const int out = OpenTemporary(folder, hidden);
  if (out < 0) return Attempt::Failed;
  struct stat after {};
  bool ok = CloneOrCopy(in, out, static_cast<std::uint64_t>(st.st_size)) && ::fstat(in, &after) == 0;
  const bool changed = ok && !SameVersion(st, after);
  if (ok) st = after;
  // A torn copy is never published under a final name, unless no whole one could be had.
  ok = ok && (!changed || last);
  // Permissions and times only after the last write, which would change the time again.
  ok = ok && ::fchmod(out, st.st_mode & 0777) == 0;
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ok = ok && ::futimens(out, times) == 0;
  if (ok) {
    Step("copy-before-publish");
    ok = Publish(out, folder, hidden, name);
  }
  // A source that shrank meanwhile gave a shorter copy than it said.
  struct stat published {};
  if (ok && version != nullptr && ::fstat(out, &published) == 0) {
    *version = {static_cast<std::uint64_t>(published.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
  }
  const int err = errno;
  ::close(out);
  if (!ok && !hidden.empty()) ::unlinkat(folder.Descriptor(), hidden.c_str(), 0);
  errno = err;
  if (ok) return changed ? Attempt::PublishedTorn : Attempt::Published;
  return changed && !last ? Attempt::Changed : Attempt::Failed;
}

}  // namespace

CopyResult CopyIntoFolder(const std::string& src, const FolderHandle& folder, const std::string& name, int attempts,
                          CopiedVersion* version) {
  // Non-blocking, so a FIFO put where a file was cannot hang the pass.
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in < 0) return CopyResult::SourceFailed;
  struct stat st {};
  const bool statted = ::fstat(in, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    const int err = !statted ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(in);
    errno = err;
    return CopyResult::SourceFailed;
  }
  CopyResult result = CopyResult::TargetFailed;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    Step("copy-attempt");
    const Attempt outcome = CopyOnce(in, st, folder, name, attempt == attempts, version);
    if (outcome == Attempt::Changed) continue;
    if (outcome == Attempt::Published) result = CopyResult::Copied;
    if (outcome == Attempt::PublishedTorn) result = CopyResult::CopiedWhileChanging;
    break;
  }
  const int err = errno;
  ::close(in);
  errno = err;
  return result;
}

}  // namespace talvenor::platform
