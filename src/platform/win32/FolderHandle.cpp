#include "platform/FolderHandle.h"

#include <io.h>

#include <cerrno>
#include <memory>
#include <utility>
#include <vector>

#include "platform/FaultInjection.h"
#include "platform/win32/FolderPath.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

using win32::Handle;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// READ_CONTROL: the owner is asked of the open folder.
constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;

// An entry inside the open folder, opened as itself: a junction or link is never followed.
Handle OpenEntry(const std::wstring& path, DWORD access) {
  return Handle(::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool IsRealFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Opens a folder inside as itself; refused (ELOOP, ENOTDIR) for a link or anything else.
int OpenChildFolder(const std::wstring& path) {
  Handle h = OpenEntry(path, kFolderAccess);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) {
    win32::FailWithLastError();
    return -1;
  }
  if (!IsRealFolder(info.dwFileAttributes)) {
    errno = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? ELOOP : ENOTDIR;
    return -1;
  }
  return win32::DescriptorFor(h.Release());
}

// Clears the read-only attribute through an open handle, so it reaches exactly that entry.
bool MakeWritable(HANDLE h, DWORD attributes) {
  if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  return ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) || win32::FailWithLastError();
}

// Removes the entry itself, never what a link names: opened with FILE_FLAG_OPEN_REPARSE_POINT
// and deleted through that handle. folder: a real folder is expected (empty), else anything
// but one.
bool RemoveThroughHandle(const std::wstring& path, bool folder) {
  Handle h = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) return win32::FailWithLastError();
  if (IsRealFolder(info.dwFileAttributes) != folder) {
    errno = folder ? ENOTDIR : EISDIR;
    return false;
  }
  // Read-only is no protection against removal on Linux either, where the folder decides.
  if (!MakeWritable(h.Get(), info.dwFileAttributes)) return false;
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (!::SetFileInformationByHandle(h.Get(), FileDispositionInfo, &disposition, sizeof disposition)) {
    return win32::FailWithLastError();
  }
  return true;
}

}  // namespace

void FolderHandle::Close() {
  if (m_fd < 0) return;
  win32::ForgetFolderPath(m_fd);
  ::_close(std::exchange(m_fd, -1));
}

FolderHandle FolderHandle::Open(const std::string& path) {
  Handle h(::CreateFileW(win32::LongPath(path).c_str(), kFolderAccess, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) {
    win32::FailWithLastError();
    return {};
  }
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = ENOTDIR;
    return {};
  }
  const int fd = win32::DescriptorFor(h.Release());
  win32::RememberFolderPath(fd, win32::LongPath(path));
  return FolderHandle(fd);
}

FolderHandle FolderHandle::Child(const std::string& name) const {
  std::wstring path = win32::PathInFolder(m_fd, name);
  const int fd = OpenChildFolder(path);
  win32::RememberFolderPath(fd, std::move(path));
  return FolderHandle(fd);
}

FolderHandle FolderHandle::ChildToEmpty(const std::string& name) const {
  OpenUpChild(name);  // without it the removal of its entries says why
  return Child(name);
}

bool FolderHandle::OpenUpChild(const std::string& name) const {
  Handle h = OpenEntry(win32::PathInFolder(m_fd, name), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) return win32::FailWithLastError();
  if (!IsRealFolder(info.dwFileAttributes)) {
    errno = ENOTDIR;
    return false;
  }
  return MakeWritable(h.Get(), info.dwFileAttributes);
}

FolderHandle FolderHandle::NewChild(const std::string& name, unsigned) const {
  // The folder inherits the access rules of the backup folder; nothing narrower is set here.
  if (!::CreateDirectoryW(win32::PathInFolder(m_fd, name).c_str(), nullptr)) {
    win32::FailWithLastError();
    return {};
  }
  Step("folder-made");
  FolderHandle made = Child(name);
  if (made.IsOpen() && !made.OwnedByUs()) made.Close();
  if (!made.IsOpen()) errno = EPERM;
  return made;
}

bool FolderHandle::Has(const std::string& name) const {
  return !name.empty() && ::GetFileAttributesW(win32::PathInFolder(m_fd, name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FolderHandle::OwnsEntry(const std::string& name) const {
  if (name.empty()) return false;
  const Handle h = OpenEntry(win32::PathInFolder(m_fd, name), READ_CONTROL | FILE_READ_ATTRIBUTES);
  return h.Valid() && win32::OwnedByCurrentUser(h.Get());
}

bool FolderHandle::RemoveEntry(const std::string& name) const {
  return RemoveThroughHandle(win32::PathInFolder(m_fd, name), false);
}

bool FolderHandle::RemoveChild(const std::string& name) const {
  return RemoveThroughHandle(win32::PathInFolder(m_fd, name), true);
}

bool FolderHandle::RenameNoReplace(const std::string& from, const std::string& to) const {
  return ::MoveFileExW(win32::PathInFolder(m_fd, from).c_str(), win32::PathInFolder(m_fd, to).c_str(), 0) ||
         win32::FailWithLastError();
}

bool FolderHandle::List(std::vector<FolderEntry>& entries) const {
  entries.clear();
  const std::wstring pattern = win32::PathInFolder(m_fd, "*");
  WIN32_FIND_DATAW data{};
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    return win32::FailWithLastError();
  }
  DWORD error = ERROR_NO_MORE_FILES;
  do {
    const wchar_t* name = data.cFileName;
    if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
    entries.push_back({win32::Utf8(name), IsRealFolder(data.dwFileAttributes)});
  } while (::FindNextFileW(search, &data) || (error = ::GetLastError()) != ERROR_NO_MORE_FILES);
  ::FindClose(search);
  errno = error == ERROR_NO_MORE_FILES ? 0 : win32::ErrnoFor(error);
  return error == ERROR_NO_MORE_FILES;
}

std::pair<unsigned long long, unsigned long long> FolderHandle::Identity() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(win32::HandleOf(m_fd), &info)) return {0, 0};
  return {info.dwVolumeSerialNumber, (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool FolderHandle::OwnedByUs() const { return win32::OwnedByCurrentUser(win32::HandleOf(m_fd)); }

bool FolderHandle::Removed() const {
  FILE_STANDARD_INFO standard{};
  if (!::GetFileInformationByHandleEx(win32::HandleOf(m_fd), FileStandardInfo, &standard, sizeof standard)) return true;
  return standard.DeletePending || standard.NumberOfLinks == 0;
}

bool FolderHandle::SyncFileSystem() const {
  // Flushing a volume needs an administrator; each copy is flushed before it is published.
  return IsOpen();
}

}  // namespace talvenor::platform
