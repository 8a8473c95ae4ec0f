#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/CopyBytes.h"
#include "platform/FileCopy.h"
#include "platform/LockedFile.h"

namespace talvenor::platform {

bool CopyFileReplacing(const std::string& src, const std::string& dst) {
  // Non-blocking, so a FIFO put where a copy was cannot hang the window.
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in < 0) return false;
  struct stat st {};
  bool ok = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) errno = EINVAL;
  ok = ok && ReplaceThroughTemporary(dst, st.st_mode & 0777, [&](int out) {
         const timespec times[2] = {st.st_atim, st.st_mtim};
         return CopyBytes(in, 0, static_cast<std::uint64_t>(st.st_size), out) && ::futimens(out, times) == 0;
       });
  const int err = errno;
  ::close(in);
  errno = err;
  return ok;
}

}  // namespace talvenor::platform
