#include "platform/FolderSpace.h"

#include <limits>
#include <mutex>

#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

std::mutex g_sourceMutex;
std::function<std::optional<FolderSpace>(const std::string&)> g_source;

}  // namespace

void SetSpaceSourceForTest(std::function<std::optional<FolderSpace>(const std::string&)> source) {
  std::lock_guard lock(g_sourceMutex);
  g_source = std::move(source);
}

std::optional<FolderSpace> SpaceOf(const std::string& folder) {
  {
    std::lock_guard lock(g_sourceMutex);
    if (g_source) return g_source(folder);
  }
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
