#pragma once
// An entry nothing can delete while the test holds it: the immutable flag, which refuses
// unlink even to root (who ignores permission bits). Skipped where it cannot be set.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

namespace talvenor::test {

class HeldEntry {
 public:
  // The descriptor stays open, so the flag can be taken off after the entry was renamed.
  explicit HeldEntry(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    m_held = m_fd >= 0 && SetImmutable(true);
  }
  ~HeldEntry() {
    Release();
    if (m_fd >= 0) ::close(m_fd);
  }
  HeldEntry(const HeldEntry&) = delete;
  HeldEntry& operator=(const HeldEntry&) = delete;
  bool held() const { return m_held; }
  void Release() {
    if (m_held) m_held = !SetImmutable(false);
  }

 private:
  bool SetImmutable(bool on) {
    int flags = 0;
    if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) != 0) return false;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    return ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
  }

  int m_fd = -1;
  bool m_held = false;
};

}  // namespace talvenor::test
