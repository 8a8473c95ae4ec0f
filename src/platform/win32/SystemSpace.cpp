#include "platform/SystemSpace.h"

#include <limits>

#include "platform/win32/WinText.h"

namespace talvenor::platform {

std::optional<FolderSpace> SystemSpaceOf(const std::string& folder) {
  const std::wstring path = win32::LongPath(folder);
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(path.c_str(), &available, nullptr, nullptr)) return std::nullopt;
  win32::Handle h(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) return std::nullopt;
  // Windows file systems have no fixed count of file entries: only bytes run out.
  return FolderSpace{available.QuadPart, std::numeric_limits<std::uint64_t>::max(), info.dwVolumeSerialNumber};
}

}  // namespace talvenor::platform
