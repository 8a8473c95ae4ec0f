#include "platform/FileContents.h"

#include <cerrno>

#include "platform/win32/WinText.h"

namespace talvenor::platform {

ReadOutcome ReadSmallFile(const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  win32::Handle h(::CreateFileW(win32::LongPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.Valid()) {
    win32::FailWithLastError();
    return errno == ENOENT || errno == ENOTDIR ? ReadOutcome::Missing : ReadOutcome::Unreadable;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h.Get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) ||
      ((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) > limit)
    return ReadOutcome::Unreadable;
  char buffer[16 * 1024];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(h.Get(), buffer, sizeof buffer, &n, nullptr) || out.size() + n > limit) {
      out.clear();
      return ReadOutcome::Unreadable;
    }
    if (n == 0) return ReadOutcome::Read;
    out.append(buffer, n);
  }
}

}  // namespace talvenor::platform
