#include "platform/OwnFile.h"

#include <io.h>

#include <cerrno>

#include "platform/LockedFile.h"
#include "platform/win32/FolderPath.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

using win32::Handle;

// The entry itself, never what a link there names; shared, as the Linux file is, with readers
// and writers alike.
Handle OpenEntry(const std::wstring& path, DWORD access, DWORD disposition) {
  if (path.empty()) return Handle();
  return Handle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool IsOurs(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
  return ::GetFileInformationByHandle(h, &info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) &&
         info.nNumberOfLinks == 1 && win32::OwnedByCurrentUser(h);
}

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

}  // namespace

std::optional<std::string> ReadOwnFile(const FolderHandle& folder, const std::string& name, std::size_t maxBytes) {
  const Handle h =
      OpenEntry(win32::PathInFolder(folder.Descriptor(), name), GENERIC_READ | READ_CONTROL, OPEN_EXISTING);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !IsOurs(h.Get(), info) || SizeOf(info) > maxBytes) return std::nullopt;
  std::string text(static_cast<std::size_t>(SizeOf(info)), '\0');
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD n = 0;
    if (!::ReadFile(h.Get(), text.data() + done, static_cast<DWORD>(text.size() - done), &n, nullptr) || n == 0) break;
    done += n;
  }
  text.resize(done);
  return text;
}

bool AppendOwnLine(const FolderHandle& folder, const std::string& name, std::string_view line) {
  std::string text(line);
  text += '\n';
  // Append data without write data: the write lands at the end in one piece.
  Handle h =
      OpenEntry(win32::PathInFolder(folder.Descriptor(), name),
                FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE, OPEN_ALWAYS);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !IsOurs(h.Get(), info)) {
    h.Close();
    return ReplaceOwnFile(folder, name, text);
  }
  if (const std::uint64_t size = SizeOf(info); size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size - 1);
    at.OffsetHigh = static_cast<DWORD>((size - 1) >> 32);
    char last = '\n';
    DWORD n = 0;
    if (::ReadFile(h.Get(), &last, 1, &n, &at) && n == 1 && last != '\n') text.insert(0, 1, '\n');
  }
  const int fd = win32::DescriptorFor(h.Release());
  if (fd < 0) return false;
  const bool ok = WriteAllTo(fd, text);
  ::_close(fd);
  return ok;
}

bool ReplaceOwnFile(const FolderHandle& folder, const std::string& name, std::string_view text) {
  const std::wstring target = win32::PathInFolder(folder.Descriptor(), name);
  // A leftover of a crash, or anything planted under the temporary's name, goes first.
  const std::wstring temporary = win32::PathInFolder(folder.Descriptor(), name + ".new");
  if (target.empty() || temporary.empty()) {
    errno = ENOENT;
    return false;
  }
  ::DeleteFileW(temporary.c_str());
  Handle h(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.Valid()) return win32::FailWithLastError();
  const int fd = win32::DescriptorFor(h.Release());
  bool ok = fd >= 0 && WriteAllTo(fd, text);
  if (fd >= 0) ::_close(fd);
  // The entry itself is replaced, never what a link there names.
  ok = ok && (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
              win32::FailWithLastError());
  if (!ok) ::DeleteFileW(temporary.c_str());
  return ok;
}

}  // namespace talvenor::platform
