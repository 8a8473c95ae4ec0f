#include "platform/FileCopy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace talvenor::platform {
namespace {

// Large enough that the system-call count is negligible, small enough that a copy reports
// progress (and a crash test can stop it) several times for a file of a few MiB.
constexpr std::size_t kChunk = std::size_t{4} << 20;
constexpr std::size_t kBuffer = std::size_t{1} << 20;

std::mutex g_hookMutex;
std::function<void(const std::string&)> g_stepHook;

void Step(const char* name) {
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard lock(g_hookMutex);
    hook = g_stepHook;
  }
  if (hook) hook(name);
}

// Copies length bytes of in, from offset on, to the current position of out. A source that
// shrank meanwhile ends the copy early; what was there is copied.
bool CopyBytes(int in, off_t offset, std::uint64_t length, int out) {
  bool kernelCopy = true;
  std::vector<char> buf;
  std::uint64_t done = 0;
  while (done < length) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kChunk));
    if (kernelCopy) {
      const ssize_t n = ::copy_file_range(in, &offset, out, nullptr, want, 0);
      if (n > 0) {
        // The kernel copy bypasses WriteAllTo, so an injected disk-full is met here.
        if (InjectedWriteFailure(static_cast<std::size_t>(n))) {
          errno = ENOSPC;
          return false;
        }
        done += static_cast<std::uint64_t>(n);
        Step("copy-chunk");
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n == 0 || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS) {
        kernelCopy = false;
        continue;
      }
      return false;
    }
    if (buf.empty()) buf.resize(kBuffer);
    const ssize_t n = ::pread(in, buf.data(), std::min(want, buf.size()), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAllTo(out, std::string_view(buf.data(), static_cast<std::size_t>(n)))) return false;
    offset += n;
    done += static_cast<std::uint64_t>(n);
    Step("copy-chunk");
  }
  return true;
}

// A reflink shares the blocks, so it is as fast as a rename and costs no space.
bool CloneOrCopy(int in, int out, std::uint64_t size) {
  if (size > 0 && ::ioctl(out, FICLONE, in) == 0) {
    if (InjectedWriteFailure(static_cast<std::size_t>(size))) {
      errno = ENOSPC;
      return false;
    }
    Step("copy-chunk");
    return true;
  }
  return CopyBytes(in, 0, size, out);
}

// An unnamed file in the folder; where the file system has none, a hidden one (hiddenPath).
int OpenTemporaryIn(const std::string& folder, std::string& hiddenPath) {
  hiddenPath.clear();
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return fd;
  std::string tmpl = folder + "/.talvenor-copy-XXXXXX";
  const int hidden = ::mkostemp(tmpl.data(), O_CLOEXEC);  // O_EXCL, mode 0600
  if (hidden >= 0) hiddenPath = tmpl;
  return hidden;
}

// Gives the finished file its name; fails with EEXIST rather than replace anything.
bool Publish(int fd, const std::string& hiddenPath, const std::string& dst) {
  if (hiddenPath.empty()) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, dst.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
    if (errno != ENOENT) return false;
    // Without /proc, name the descriptor itself.
    return ::linkat(fd, "", AT_FDCWD, dst.c_str(), AT_EMPTY_PATH) == 0;
  }
  if (::renameat2(AT_FDCWD, hiddenPath.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link refuses an existing name as well.
  if (::link(hiddenPath.c_str(), dst.c_str()) != 0) return false;
  ::unlink(hiddenPath.c_str());
  return true;
}

}  // namespace

void SetCopyStepHookForTest(std::function<void(const std::string& step)> hook) {
  std::lock_guard lock(g_hookMutex);
  g_stepHook = std::move(hook);
}

bool CopyFileNoReplace(const std::string& src, const std::string& dst) {
  // Non-blocking, so a FIFO put where a file was cannot hang the pass.
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in < 0) return false;
  struct stat st {};
  const bool statted = ::fstat(in, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    const int err = !statted ? errno : S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(in);
    errno = err;
    return false;
  }
  std::string hidden;
  const int out = OpenTemporaryIn(ParentFolder(dst), hidden);
  bool ok = out >= 0 && CloneOrCopy(in, out, static_cast<std::uint64_t>(st.st_size));
  // Permissions and times only after the last write, which would change the time again.
  ok = ok && ::fchmod(out, st.st_mode & 0777) == 0;
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ok = ok && ::futimens(out, times) == 0;
  if (ok) {
    Step("copy-before-publish");
    ok = Publish(out, hidden, dst);
  }
  const int err = errno;
  if (out >= 0) ::close(out);
  if (!ok && !hidden.empty()) ::unlink(hidden.c_str());
  ::close(in);
  errno = err;
  return ok;
}

bool ReplaceWithTail(const LockedFile& from, std::int64_t offset, const std::string& tmpPath, const std::string& dst,
                     LockedFile& replaced) {
  struct stat st {};
  if (!from.IsOpen() || ::fstat(from.Descriptor(), &st) != 0) {
    errno = EBADF;
    return false;
  }
  // A temporary left by a crash holds nothing of value: the file it was cut from is whole.
  if (::unlink(tmpPath.c_str()) != 0 && errno != ENOENT) return false;
  LockedFile tmp;
  if (!tmp.Open(tmpPath, LockedFile::Mode::ReadWriteCreate)) return false;
  const std::uint64_t length = st.st_size > offset ? static_cast<std::uint64_t>(st.st_size - offset) : 0;
  bool ok = ::fchmod(tmp.Descriptor(), st.st_mode & 0777) == 0 &&
            CopyBytes(from.Descriptor(), offset, length, tmp.Descriptor()) && ::fsync(tmp.Descriptor()) == 0;
  if (ok) {
    Step("replace-before-rename");
    ok = ::rename(tmpPath.c_str(), dst.c_str()) == 0;
  }
  if (!ok) {
    const int err = errno;
    tmp.Close();
    ::unlink(tmpPath.c_str());
    errno = err;
    return false;
  }
  Step("replace-after-rename");
  SyncFolder(ParentFolder(dst));
  replaced = std::move(tmp);
  return true;
}

bool CopyTailReplacing(const LockedFile& from, std::int64_t offset, const std::string& dst) {
  struct stat st {};
  if (!from.IsOpen() || ::fstat(from.Descriptor(), &st) != 0) {
    errno = EBADF;
    return false;
  }
  const std::uint64_t length = st.st_size > offset ? static_cast<std::uint64_t>(st.st_size - offset) : 0;
  return ReplaceThroughTemporary(dst, st.st_mode, [&from, offset, length](int fd) {
    return CopyBytes(from.Descriptor(), offset, length, fd);
  });
}

}  // namespace talvenor::platform
