#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace talvenor::platform {

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::PathFor(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') return std::string(runtime) + "/" + name + ".lock";
  return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

bool InstanceLock::Acquire(const std::string& name) {
  Release();
  const std::string path = PathFor(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;  // no guard possible: run unguarded, as a failed mutex creation would
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  m_fd = fd;
  return true;
}

long InstanceLock::ThisProcess() { return static_cast<long>(::getpid()); }

long InstanceLock::Holder(const std::string& name) {
  const std::string path = PathFor(name);
  struct stat file {};
  if (::stat(path.c_str(), &file) != 0) return 0;
  // The kernel's table of locks names the holder of each: "1: FLOCK ADVISORY WRITE <pid>
  // <major>:<minor>:<inode> 0 EOF", device numbers in hexadecimal; waiters are marked "->".
  std::ifstream locks("/proc/locks");
  if (locks) {
    std::ostringstream wanted;
    wanted << std::hex << major(file.st_dev) << ":" << minor(file.st_dev) << ":" << std::dec << file.st_ino;
    std::string line;
    while (std::getline(locks, line)) {
      std::istringstream fields(line);
      std::string number, kind, advisory, access, device;
      long pid = 0;
      if (!(fields >> number >> kind >> advisory >> access >> pid >> device) || kind != "FLOCK") continue;
      // Two-digit device numbers are written with a leading zero.
      const auto trimmed = [](const std::string& id) {
        std::string out, part;
        std::istringstream parts(id);
        while (std::getline(parts, part, ':')) {
          part.erase(0, std::min(part.find_first_not_of('0'), part.size() - 1));
          out += (out.empty() ? "" : ":") + part;
        }
        return out;
      };
      if (trimmed(device) == trimmed(wanted.str())) return pid > 0 ? pid : -1;
    }
    return 0;
  }
  // No table to read: a shared lock that cannot be had tells that someone holds it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held ? -1 : 0;
}

void InstanceLock::Release() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
}

}  // namespace talvenor::platform
