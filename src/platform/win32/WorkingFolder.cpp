#include "platform/WorkingFolder.h"

#include <shlobj.h>

#include <cerrno>

#include "platform/win32/WinText.h"

namespace talvenor::platform {

std::string UserStateHome() {
  // The per-user, per-machine data folder (%LOCALAPPDATA%), which no roaming profile copies.
  PWSTR path = nullptr;
  std::string out;
  if (::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path) == S_OK) out = win32::Utf8(path);
  ::CoTaskMemFree(path);
  return out;
}

bool MakePrivateFolders(const std::string& path) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  // Each missing level in turn; a new folder inherits the access rules of the one above, which
  // under the user's profile admit only the user.
  const std::wstring full = win32::LongPath(path);
  const std::size_t rootEnd =
      full.starts_with(L"\\\\?\\UNC\\") ? full.find(L'\\', full.find(L'\\', 8) + 1) : full.find(L'\\', 4);
  for (std::size_t end = rootEnd == std::wstring::npos ? full.size() : full.find(L'\\', rootEnd + 1);;
       end = full.find(L'\\', end + 1)) {
    const std::wstring level = full.substr(0, end);
    if (!::CreateDirectoryW(level.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS &&
        ::GetLastError() != ERROR_ACCESS_DENIED) {
      return win32::FailWithLastError();
    }
    if (end == std::wstring::npos) break;
  }
  const DWORD attributes = ::GetFileAttributesW(full.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return win32::FailWithLastError();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

bool ChangeCurrentDirectory(const std::string& path) {
  return ::SetCurrentDirectoryW(win32::Wide(path).c_str()) || win32::FailWithLastError();
}

}  // namespace talvenor::platform
