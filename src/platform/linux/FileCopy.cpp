#include "platform/FileCopy.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CopyBytes.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"

namespace talvenor::platform {

bool ReplaceWithTail(LockedFile& from, std::int64_t offset, const std::string& tmpPath, const std::string& dst,
                     LockedFile& replaced, std::string_view head) {
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
            (head.empty() || WriteAllTo(tmp.Descriptor(), head)) &&
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

bool CopyTailReplacing(const LockedFile& from, std::int64_t offset, const std::string& dst, std::string_view head) {
  struct stat st {};
  if (!from.IsOpen() || ::fstat(from.Descriptor(), &st) != 0) {
    errno = EBADF;
    return false;
  }
  const std::uint64_t length = st.st_size > offset ? static_cast<std::uint64_t>(st.st_size - offset) : 0;
  return ReplaceThroughTemporary(dst, st.st_mode, [&from, offset, length, head](int fd) {
    return (head.empty() || WriteAllTo(fd, head)) && CopyBytes(from.Descriptor(), offset, length, fd);
  });
}

}  // namespace talvenor::platform
