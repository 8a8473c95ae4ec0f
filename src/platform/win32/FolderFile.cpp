#include "platform/FolderFile.h"

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/LockedFile.h"
#include "platform/win32/FolderPath.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

using win32::Handle;

// The entry itself (a link is opened as a link and then refused): a regular file or nothing.
// Shared with every kind of access: a record being appended to is read meanwhile, for one, by
// the list of a file's versions.
Handle OpenRegular(const std::wstring& path, DWORD access, DWORD disposition) {
  if (path.empty()) {
    errno = ENOENT;
    return Handle();
  }
  Handle h(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) {
    win32::FailWithLastError();
    return Handle();
  }
  if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) {
    errno = EINVAL;
    return Handle();
  }
  return h;
}

std::uint64_t SizeOf(HANDLE h) {
  LARGE_INTEGER size{};
  return ::GetFileSizeEx(h, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

bool ReadAll(HANDLE h, std::size_t limit, std::string& out) {
  out.clear();
  out.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(limit, SizeOf(h))));
  char buffer[1 << 16];
  while (out.size() < limit) {
    DWORD n = 0;
    const auto want = static_cast<DWORD>(std::min(sizeof buffer, limit - out.size()));
    if (!::ReadFile(h, buffer, want, &n, nullptr)) return win32::FailWithLastError();
    if (n == 0) break;
    out.append(buffer, n);
  }
  return true;
}

}  // namespace

bool AppendFile::Open(const FolderHandle& folder, const std::string& name) {
  Close();
  // Append data without write data: every write lands at the end, whatever the position.
  Handle h = OpenRegular(win32::PathInFolder(folder.Descriptor(), name),
                         FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, OPEN_ALWAYS);
  if (!h.Valid()) return false;
  m_fd = win32::DescriptorFor(h.Release());
  return m_fd >= 0;
}

bool AppendFile::Append(std::string_view data) { return m_fd >= 0 && WriteAllTo(m_fd, data); }

bool AppendFile::EmptyOrEndsWith(char c) const {
  if (m_fd < 0) return false;
  const HANDLE h = win32::HandleOf(m_fd);
  const std::uint64_t size = SizeOf(h);
  if (size == 0) return true;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(size - 1);
  at.OffsetHigh = static_cast<DWORD>((size - 1) >> 32);
  char last = 0;
  DWORD n = 0;
  return ::ReadFile(h, &last, 1, &n, &at) && n == 1 && last == c;
}

void AppendFile::Close() {
  if (m_fd >= 0) ::_close(std::exchange(m_fd, -1));
}

bool ReadFileIn(const FolderHandle& folder, const std::string& name, std::size_t limit, std::string& out) {
  out.clear();
  const Handle h = OpenRegular(win32::PathInFolder(folder.Descriptor(), name), GENERIC_READ, OPEN_EXISTING);
  return h.Valid() && ReadAll(h.Get(), limit, out);
}

bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& out) {
  out.clear();
  const Handle h = OpenRegular(win32::LongPath(path), GENERIC_READ, OPEN_EXISTING);
  return h.Valid() && ReadAll(h.Get(), limit, out);
}

std::optional<EntryStatus> StatFileIn(const FolderHandle& folder, const std::string& name) {
  if (name.empty()) return std::nullopt;
  const Handle h = OpenRegular(win32::PathInFolder(folder.Descriptor(), name), FILE_READ_ATTRIBUTES, OPEN_EXISTING);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) return std::nullopt;
  // 100-nanosecond ticks since 1601 to seconds and nanoseconds since 1970.
  const auto ticks =
      (static_cast<std::int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  constexpr std::int64_t kEpochDifference = 11644473600;
  return EntryStatus{(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     ticks / 10000000 - kEpochDifference, static_cast<long>(ticks % 10000000 * 100)};
}

}  // namespace talvenor::platform
