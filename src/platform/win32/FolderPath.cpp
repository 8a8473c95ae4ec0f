#include "platform/win32/FolderPath.h"

#include <aclapi.h>

#include <map>
#include <mutex>
#include <vector>

#include "platform/win32/WinText.h"

namespace talvenor::platform::win32 {
namespace {

// The user's SID, taken once: it does not change while the process runs.
const std::vector<unsigned char>& CurrentUserSid() {
  static const std::vector<unsigned char> sid = [] {
    std::vector<unsigned char> out;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return out;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buf(size);
    if (size != 0 && ::GetTokenInformation(token, TokenUser, buf.data(), size, &size)) {
      const auto* user = reinterpret_cast<const TOKEN_USER*>(buf.data());
      out.assign(static_cast<const unsigned char*>(user->User.Sid),
                 static_cast<const unsigned char*>(user->User.Sid) + ::GetLengthSid(user->User.Sid));
    }
    ::CloseHandle(token);
    return out;
  }();
  return sid;
}

std::mutex g_pathsMutex;
std::map<int, std::wstring> g_paths;

bool SameEntry(HANDLE a, const std::wstring& path) {
  const HANDLE b =
      ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (b == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION ia{};
  BY_HANDLE_FILE_INFORMATION ib{};
  const bool same = ::GetFileInformationByHandle(a, &ia) && ::GetFileInformationByHandle(b, &ib) &&
                    ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
                    ia.nFileIndexLow == ib.nFileIndexLow;
  ::CloseHandle(b);
  return same;
}

}  // namespace

void RememberFolderPath(int folderDescriptor, std::wstring path) {
  if (folderDescriptor < 0) return;
  std::lock_guard lock(g_pathsMutex);
  g_paths[folderDescriptor] = std::move(path);
}

void ForgetFolderPath(int folderDescriptor) {
  std::lock_guard lock(g_pathsMutex);
  g_paths.erase(folderDescriptor);
}

std::wstring PathOf(HANDLE h) {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(h, buf.data(), static_cast<DWORD>(buf.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(n + 1);
  }
}

std::wstring PathInFolder(int folderDescriptor, const std::string& name) {
  const HANDLE h = HandleOf(folderDescriptor);
  std::wstring path = PathOf(h);
  if (path.empty()) {
    std::lock_guard lock(g_pathsMutex);
    const auto it = g_paths.find(folderDescriptor);
    if (it == g_paths.end() || !SameEntry(h, it->second)) return {};
    path = it->second;
  }
  if (path.back() != L'\\') path.push_back(L'\\');
  return path + Wide(name);
}

bool OwnedByCurrentUser(HANDLE h) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const std::vector<unsigned char>& self = CurrentUserSid();
  bool ours = owner != nullptr && !self.empty() && ::EqualSid(owner, const_cast<unsigned char*>(self.data()));
  // Files an administrator makes are owned by the Administrators group, not by the user.
  if (!ours && owner != nullptr) {
    BOOL member = FALSE;
    ours = ::CheckTokenMembership(nullptr, owner, &member) && member &&
           ::IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
  }
  ::LocalFree(descriptor);
  return ours;
}

}  // namespace talvenor::platform::win32
