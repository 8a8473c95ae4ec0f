#include <io.h>

#include <cerrno>
#include <vector>

#include "platform/FileCopy.h"
#include "platform/LockedFile.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {

bool CopyFileReplacing(const std::string& src, const std::string& dst) {
  win32::Handle in(::CreateFileW(win32::LongPath(src).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!in.Valid() || !::GetFileInformationByHandle(in.Get(), &info)) return win32::FailWithLastError();
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
    errno = EINVAL;
    return false;
  }
  return ReplaceThroughTemporary(dst, 0644, [&](int out) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(in.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &n, nullptr))
        return win32::FailWithLastError();
      if (n == 0) break;
      if (!WriteAllTo(out, std::string_view(buffer.data(), n))) return false;
    }
    // The source's last-write time, after the last write that would move it.
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.LowPart = info.ftLastWriteTime.dwLowDateTime;
    basic.LastWriteTime.HighPart = static_cast<LONG>(info.ftLastWriteTime.dwHighDateTime);
    return ::SetFileInformationByHandle(win32::HandleOf(out), FileBasicInfo, &basic, sizeof basic) ||
           win32::FailWithLastError();
  });
}

}  // namespace talvenor::platform
