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

  // The process that holds name's lock: its id, 0 when none does, -1 when one does but cannot
  // be named. Takes no lock and makes no file, so it never keeps another copy from starting.
  static long Holder(const std::string& name);
  static long ThisProcess();

  // $XDG_RUNTIME_DIR/<name>.lock, or /tmp/<name>-<uid>.lock without that variable.
  static std::string PathFor(const std::string& name);

 private:
  int m_fd = -1;
};

}  // namespace talvenor::platform
