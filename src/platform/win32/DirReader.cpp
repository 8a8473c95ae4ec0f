#include "platform/DirReader.h"

#include <cerrno>
#include <memory>
#include <utility>

#include "platform/DirEntryFill.h"
#include "platform/FaultInjection.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

using win32::Wide;

// One listing in progress: the entry FindFirstFileExW returned waits for the first Next.
struct Search {
  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  bool pending = true;
  std::wstring folder;  // long form, ending in "\"
};

// Junctions and symbolic links name another place; other reparse points (cloud placeholders,
// deduplicated files) are the entry itself.
bool IsLink(const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsReparseTagNameSurrogate(data.dwReserved0);
}

FileTime ToValue(const FILETIME& ft) { return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// A link to a file counts as that file: its size, time and identity are the target's. False
// for a dangling link or a link to a folder.
bool TargetOf(const std::wstring& path, DirEntry& entry) {
  win32::Handle h(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.Valid() || !::GetFileInformationByHandle(h.Get(), &info)) return false;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  entry.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  entry.writeTime = ToValue(info.ftLastWriteTime);
  entry.otherNames = info.nNumberOfLinks > 1;
  entry.device = info.dwVolumeSerialNumber;
  entry.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace

DirReader::~DirReader() { Close(); }

int DirReader::Open(const std::string& folder, bool listedByParent) {
  Close();
  m_lastError = 0;
  if (const int injected = InjectedOpenError(folder); injected != 0) return CodeForErrno(injected, listedByParent);
  auto search = std::make_unique<Search>();
  search->folder = win32::LongPath(folder);
  if (search->folder.back() != L'\\') search->folder.push_back(L'\\');
  const std::wstring pattern = search->folder + L"*";
  search->handle = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &search->data, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
  if (search->handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    // Only a drive's root lists neither "." nor "..": it exists and is empty.
    if (error == ERROR_FILE_NOT_FOUND) {
      search->pending = false;
      m_dir = search.release();
      return kSearchOk;
    }
    return CodeForErrno(win32::ErrnoFor(error), listedByParent);
  }
  m_dir = search.release();
  return kSearchOk;
}

bool DirReader::Next(DirEntry& entry) {
  auto* search = static_cast<Search*>(m_dir);
  if (search == nullptr || search->handle == INVALID_HANDLE_VALUE) return false;
  for (;;) {
    if (!std::exchange(search->pending, false)) {
      if (!::FindNextFileW(search->handle, &search->data)) {
        const DWORD error = ::GetLastError();
        m_lastError = error == ERROR_NO_MORE_FILES ? 0 : win32::ErrnoFor(error);
        return false;
      }
    }
    const WIN32_FIND_DATAW& data = search->data;
    const std::string name = win32::Utf8(data.cFileName);
    if (IsDotName(name)) continue;
    const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (IsLink(data)) {
      // Never walk into a linked folder; a dangling link may name a file later.
      if (isFolder || !TargetOf(search->folder + data.cFileName, entry)) {
        if (!m_reportPassedLinks) continue;
        FillPassedLink(entry, name);
        return true;
      }
      entry.name = name;
      entry.kind = EntryKind::File;
      entry.indirect = true;
      return true;
    }
    entry.name = name;
    entry.kind = isFolder ? EntryKind::Folder : EntryKind::File;
    // The listing carries size and time at no cost; a folder's are never used.
    entry.size = isFolder ? 0 : (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.writeTime = isFolder ? 0 : ToValue(data.ftLastWriteTime);
    // The listing does not tell a file's number of names, and asking each file would open
    // every one: files with other names are not told apart here, nor identified.
    entry.indirect = entry.otherNames = false;
    entry.device = entry.inode = 0;
    return true;
  }
}

void DirReader::Close() {
  if (auto* search = static_cast<Search*>(m_dir); search != nullptr) {
    if (search->handle != INVALID_HANDLE_VALUE) ::FindClose(search->handle);
    delete search;
    m_dir = nullptr;
  }
}

}  // namespace talvenor::platform
