#pragma once
// One running copy per user: an exclusive lock on a per-user file, released by the kernel
// when the process ends, however it ends. The file lies where only the user can write, so no
// one else can take it first and keep the program from starting.
#include <string>

namespace talvenor::platform {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when this process now holds the lock; false when another process does. The lock
  // file is <name>.lock in $XDG_RUNTIME_DIR; without it, in /tmp/talvenor-<uid>/ (made 0700,
  // used only when it is a folder of the user's own and not a link); failing that, .<name>.lock
  // in the home folder when only the user can write there. A file of someone else's is never
  // used. When no place will do, the program runs unguarded (true).
  bool Acquire(const std::string& name);
  void Release();
  bool Held() const { return m_fd >= 0; }
  // The lock file held.
  const std::string& Path() const { return m_path; }

  // The process that holds name's lock: its id, 0 when none does, -1 when one does but cannot
  // be named. Takes no lock, so it never keeps another copy from starting.
  static long Holder(const std::string& name);
  static long ThisProcess();
  // The lock file a copy that runs would hold, found where Acquire looks; empty when none is.
  static std::string PathOf(const std::string& name);

 private:
  int m_fd = -1;
  std::string m_path;
};

}  // namespace talvenor::platform
