#include "platform/FileSystem.h"

#include "platform/win32/WinText.h"
// Our own function of that name, not the system's macro.
#undef RemoveDirectory

#include <algorithm>
#include <cerrno>
#include <vector>

namespace talvenor::platform {
namespace {

using win32::Handle;
using win32::LongPath;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A handle on whatever the path names, links followed; only its attributes can be asked.
Handle OpenForQuery(const std::string& path, DWORD access = FILE_READ_ATTRIBUTES) {
  return Handle(::CreateFileW(LongPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

FileTime ToValue(const FILETIME& ft) { return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

bool Information(const Handle& h, BY_HANDLE_FILE_INFORMATION& info) {
  return h.Valid() && ::GetFileInformationByHandle(h.Get(), &info);
}

}  // namespace

bool PathExists(const std::string& path) {
  return !path.empty() && ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  return Information(OpenForQuery(path), info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  return Information(OpenForQuery(path), info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool SameFolder(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION ia{};
  BY_HANDLE_FILE_INFORMATION ib{};
  return Information(OpenForQuery(a), ia) && Information(OpenForQuery(b), ib) &&
         (ia.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool CanReadFile(const std::string& path) {
  // Opened as a copy opens it: a file another program holds without sharing cannot be read.
  Handle h(::CreateFileW(LongPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return Information(h, info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<FileStatus> StatFile(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!Information(OpenForQuery(path), info)) {
    win32::FailWithLastError();
    return std::nullopt;
  }
  FileStatus fs;
  fs.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  fs.writeTime = ToValue(info.ftLastWriteTime);
  // The one permission a file has here: read-only or not.
  fs.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) fs.mode |= 0111;
  return fs;
}

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  const Handle h = OpenForQuery(path);
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  if (!Information(h, info) || !::GetFileInformationByHandleEx(h.Get(), FileBasicInfo, &basic, sizeof basic)) {
    return std::nullopt;
  }
  FileIdentity id;
  id.device = info.dwVolumeSerialNumber;
  id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  id.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  id.modified = basic.LastWriteTime.QuadPart * 100;
  id.changed = basic.ChangeTime.QuadPart * 100;
  return id;
}

bool MakeDirectory(const std::string& path) {
  return ::CreateDirectoryW(LongPath(path).c_str(), nullptr) || win32::FailWithLastError();
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(LongPath(path).c_str()) || win32::FailWithLastError(); }

bool RemoveDirectory(const std::string& path) {
  return ::RemoveDirectoryW(LongPath(path).c_str()) || win32::FailWithLastError();
}

bool ResetAttributesToNormal(const std::string& path) {
  const std::wstring w = LongPath(path);
  const DWORD attributes = ::GetFileAttributesW(w.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return win32::FailWithLastError();
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  return ::SetFileAttributesW(w.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) || win32::FailWithLastError();
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  return ::MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_WRITE_THROUGH) ||
         win32::FailWithLastError();
}

bool RenameReplace(const std::string& from, const std::string& to) {
  return ::MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
         win32::FailWithLastError();
}

bool IsAbsolutePath(const std::string& path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;  // a share, or "\\?\"
  return path.size() >= 3 && path[1] == ':' && separator(path[2]) &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::size_t RootLength(const std::string& path) {
  const auto separator = [&path](std::size_t i) { return i < path.size() && (path[i] == '\\' || path[i] == '/'); };
  const auto drive = [&path](std::size_t i) {
    return i + 1 < path.size() && path[i + 1] == ':' &&
           ((path[i] >= 'A' && path[i] <= 'Z') || (path[i] >= 'a' && path[i] <= 'z'));
  };
  // Past names names from at on, and the separator after the last.
  const auto past = [&](std::size_t at, int names) {
    for (int n = 0; n < names; ++n) {
      if (n > 0 && separator(at)) ++at;
      while (at < path.size() && !separator(at)) ++at;
    }
    return separator(at) ? at + 1 : at;
  };
  if (separator(0) && separator(1)) {
    if (path.size() >= 4 && path[2] == '?' && separator(3)) {  // "\\?\": the long form
      if (drive(4)) return separator(6) ? 7 : 6;
      if (path.compare(4, 3, "UNC") == 0 && separator(7)) return past(8, 2);
      return past(4, 1);
    }
    return past(2, 2);  // a share: "\\server\share\"
  }
  if (drive(0)) return separator(2) ? 3 : 2;
  return separator(0) ? 1 : 0;
}

std::string ResolvePath(const std::string& path) {
  if (path.empty()) return {};
  const Handle h = OpenForQuery(path, 0);
  if (!h.Valid()) return {};
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(h.Get(), buf.data(), static_cast<DWORD>(buf.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buf.size()) return win32::FromLongPath(std::wstring_view(buf.data(), n));
    buf.resize(n + 1);
  }
}

std::string CurrentDirectory() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return ".";
  std::wstring buf(n, L'\0');
  const DWORD got = ::GetCurrentDirectoryW(n, buf.data());
  if (got == 0 || got >= n) return ".";
  buf.resize(got);
  return win32::FromLongPath(buf);
}

bool SyncFolder(const std::string&) {
  // A folder's entries reach the disk with the rename that made them (MOVEFILE_WRITE_THROUGH).
  return true;
}

bool SyncFileSystemOf(const std::string&) {
  // Flushing a volume needs an administrator; each copy is flushed before it is published.
  return true;
}

std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  // "C:\name": the drive's root, which only names a folder with its separator.
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

bool ReadAt(int fd, std::int64_t offset, std::size_t length, std::string& out) {
  const HANDLE h = win32::HandleOf(fd);
  out.resize(length);
  std::size_t got = 0;
  while (got < length) {
    OVERLAPPED at{};
    const auto position = static_cast<std::uint64_t>(offset) + got;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - got, 1u << 30));
    if (!::ReadFile(h, out.data() + got, want, &n, &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) break;
      out.clear();
      return win32::FailWithLastError();
    }
    if (n == 0) break;
    got += n;
  }
  out.resize(got);
  return true;
}

bool TruncateTo(int fd, std::int64_t length) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = length;
  return ::SetFileInformationByHandle(win32::HandleOf(fd), FileEndOfFileInfo, &end, sizeof end) ||
         win32::FailWithLastError();
}

}  // namespace talvenor::platform
