#pragma once
// One running copy per user: an exclusive lock on a per-user file, released by the kernel
// when the process ends, however it ends.
#include <string>

namespace talvenor::platform {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when this process now holds the lock; false when another process does.
  // A lock file that cannot be made at all lets the program run unguarded (true).
  bool Acquire(const std::string& name);
  void Release();
  bool Held() const { return m_fd >= 0; }

  // $XDG_RUNTIME_DIR/<name>.lock, or /tmp/<name>-<uid>.lock without that variable.
  static std::string PathFor(const std::string& name);

 private:
  int m_fd = -1;
};

}  // namespace talvenor::platform
