#include "platform/CopyBytes.h"

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/FaultInjection.h"
#include "platform/LockedFile.h"

namespace talvenor::platform {
namespace {

// Large enough that the system-call count is negligible, small enough that a copy reports
// progress (and a crash test can stop it) several times for a file of a few MiB.
constexpr std::size_t kChunk = std::size_t{4} << 20;
constexpr std::size_t kBuffer = std::size_t{1} << 20;

}  // namespace

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
  struct stat st {};
  const bool sparse = ::fstat(in, &st) == 0 && static_cast<std::uint64_t>(st.st_blocks) * 512 < size;
  if (!sparse) return CopyBytes(in, 0, size, out);
  return CopySparse(in, out, size);
}

bool CopySparse(int in, int out, std::uint64_t size) {
  // Only the data is copied; the holes between stay holes, so a disk image of a few used
  // blocks takes a few blocks in the backup too. Where the file system cannot tell data from
  // holes, everything is data.
  const auto end = static_cast<off_t>(size);
  off_t at = 0;
  while (at < end) {
    off_t data = ::lseek(in, at, SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // nothing but a hole up to the end
    if (data < 0) {
      if (at != 0) return false;
      return CopyBytes(in, 0, size, out);
    }
    if (data >= end) break;
    off_t hole = ::lseek(in, data, SEEK_HOLE);
    if (hole < 0) return false;
    hole = std::min(hole, end);
    if (::lseek(out, data, SEEK_SET) != data) return false;
    if (!CopyBytes(in, data, static_cast<std::uint64_t>(hole - data), out)) return false;
    at = hole;
  }
  return ::ftruncate(out, end) == 0;
}

}  // namespace talvenor::platform
