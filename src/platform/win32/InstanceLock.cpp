#include "platform/InstanceLock.h"

#include <cstdint>

#include "platform/win32/WinText.h"

namespace talvenor::platform {

// A kernel handle fits in 32 bits on 64-bit Windows (kept so for 32-bit processes), so the
// header's int holds it.
InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& name) {
  Release();
  // The named mutex of the user's session; the system closes it with the process, however it
  // ends.
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, win32::Wide(name).c_str());
  if (mutex == nullptr) return true;  // no guard possible: run unguarded
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    ::CloseHandle(mutex);
    return false;
  }
  m_fd = static_cast<int>(reinterpret_cast<std::intptr_t>(mutex));
  m_path = name;
  return true;
}

long InstanceLock::ThisProcess() { return static_cast<long>(::GetCurrentProcessId()); }

// The named mutex has no file to keep a status beside.
std::string InstanceLock::PathOf(const std::string&) { return {}; }

long InstanceLock::Holder(const std::string& name) {
  const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, win32::Wide(name).c_str());
  if (mutex == nullptr) return 0;
  ::CloseHandle(mutex);
  return -1;
}

void InstanceLock::Release() {
  if (m_fd >= 0) {
    ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(m_fd)));
    m_fd = -1;
    m_path.clear();
  }
}

}  // namespace talvenor::platform
