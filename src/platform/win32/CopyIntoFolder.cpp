#include <windows.h>
// After windows.h, whose types it uses.
#include <winioctl.h>

#include <cerrno>
#include <string_view>
#include <vector>

#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"
#include "platform/TemporaryNames.h"
#include "platform/win32/FolderPath.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

using win32::Handle;

constexpr DWORD kChunk = 1 << 20;

// The state of a source that tells one version from the next.
struct Version {
  std::int64_t size = 0;
  std::int64_t written = 0;
  std::int64_t changed = 0;
  DWORD attributes = 0;
  bool operator==(const Version& o) const { return size == o.size && written == o.written && changed == o.changed; }
};

bool ReadVersion(HANDLE h, Version& v) {
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
      !::GetFileInformationByHandleEx(h, FileStandardInfo, &standard, sizeof standard)) {
    return win32::FailWithLastError();
  }
  v.size = standard.EndOfFile.QuadPart;
  v.written = basic.LastWriteTime.QuadPart;
  v.changed = basic.ChangeTime.QuadPart;
  v.attributes = basic.FileAttributes;
  return true;
}

bool CopyRange(HANDLE in, HANDLE out, std::int64_t offset, std::int64_t length, std::vector<char>& buffer) {
  LARGE_INTEGER at{};
  at.QuadPart = offset;
  if (!::SetFilePointerEx(out, at, nullptr, FILE_BEGIN)) return win32::FailWithLastError();
  while (length > 0) {
    OVERLAPPED where{};
    where.Offset = static_cast<DWORD>(offset);
    where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(length, kChunk));
    if (!::ReadFile(in, buffer.data(), want, &got, &where)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) return true;
      return win32::FailWithLastError();
    }
    if (got == 0) return true;  // the source shrank meanwhile: what was there is copied
    DWORD put = 0;
    if (!::WriteFile(out, buffer.data(), got, &put, nullptr) || put != got) {
      if (put != got && ::GetLastError() == ERROR_SUCCESS) ::SetLastError(ERROR_DISK_FULL);
      return win32::FailWithLastError();
    }
    Step("copy-chunk");
    offset += got;
    length -= got;
  }
  return true;
}

// The ranges of a sparse source that hold data; the whole file for any other.
std::vector<FILE_ALLOCATED_RANGE_BUFFER> DataRanges(HANDLE in, const Version& v) {
  std::vector<FILE_ALLOCATED_RANGE_BUFFER> ranges;
  FILE_ALLOCATED_RANGE_BUFFER whole{};
  whole.Length.QuadPart = v.size;
  if (!(v.attributes & FILE_ATTRIBUTE_SPARSE_FILE)) return {whole};
  FILE_ALLOCATED_RANGE_BUFFER query = whole;
  std::vector<FILE_ALLOCATED_RANGE_BUFFER> part(64);
  for (;;) {
    DWORD bytes = 0;
    const BOOL done = ::DeviceIoControl(in, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, part.data(),
                                        static_cast<DWORD>(part.size() * sizeof part[0]), &bytes, nullptr);
    if (!done && ::GetLastError() != ERROR_MORE_DATA) return {whole};
    const std::size_t n = bytes / sizeof part[0];
    ranges.insert(ranges.end(), part.begin(), part.begin() + static_cast<std::ptrdiff_t>(n));
    if (done || n == 0) return ranges;
    const auto& last = part[n - 1];
    query.FileOffset.QuadPart = last.FileOffset.QuadPart + last.Length.QuadPart;
    query.Length.QuadPart = v.size - query.FileOffset.QuadPart;
  }
}

// The bytes of in as it stands in v into the empty out, holes kept where both file systems
// know them.
bool CopyContents(HANDLE in, HANDLE out, const Version& v) {
  std::vector<char> buffer(kChunk);
  std::vector<FILE_ALLOCATED_RANGE_BUFFER> ranges = DataRanges(in, v);
  if (ranges.size() != 1 || ranges[0].FileOffset.QuadPart != 0 || ranges[0].Length.QuadPart != v.size) {
    DWORD bytes = 0;
    if (!::DeviceIoControl(out, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &bytes, nullptr)) {
      ranges.assign(1, FILE_ALLOCATED_RANGE_BUFFER{});  // holes written out as zeros
      ranges[0].Length.QuadPart = v.size;
    }
  }
  for (const auto& range : ranges) {
    if (!CopyRange(in, out, range.FileOffset.QuadPart, range.Length.QuadPart, buffer)) return false;
  }
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = v.size;
  return ::SetFileInformationByHandle(out, FileEndOfFileInfo, &end, sizeof end) || win32::FailWithLastError();
}

// Removes a temporary of ours that a failed attempt leaves behind, read-only or not.
void RemoveTemporary(const std::wstring& path) {
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(path.c_str());
}

enum class Attempt { Published, PublishedTorn, Changed, Failed };

// One copy of the open source as it stands in v; v then holds the source's state after it.
Attempt CopyOnce(HANDLE in, Version& v, const FolderHandle& folder, const std::string& name, bool last,
                 CopiedVersion* version) {
  std::wstring hidden;
  Handle out;
  for (int tries = 0; tries < 100 && !out.Valid(); ++tries) {
    hidden = win32::PathInFolder(folder.Descriptor(), NewCopyTemporaryName());
    out = Handle(::CreateFileW(hidden.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (!out.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (!out.Valid()) {
    win32::FailWithLastError();
    return Attempt::Failed;
  }
  Version after;
  bool ok = CopyContents(in, out.Get(), v) && ReadVersion(in, after);
  const bool changed = ok && !(after == v);
  if (ok) v = after;
  // A torn copy is never published under a final name, unless no whole one could be had.
  ok = ok && (!changed || last);
  // Times and attributes only after the last write, which would change the time again; the
  // hidden mark of the temporary goes with them.
  FILE_BASIC_INFO basic{};
  basic.LastWriteTime.QuadPart = v.written;
  basic.FileAttributes = v.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  ok = ok &&
       (::SetFileInformationByHandle(out.Get(), FileBasicInfo, &basic, sizeof basic) || win32::FailWithLastError());
  // On the disk before its name is, so no snapshot can claim a copy that a power cut took.
  ok = ok && (::FlushFileBuffers(out.Get()) || win32::FailWithLastError());
  // A source that shrank meanwhile gave a shorter copy than it said.
  LARGE_INTEGER copied{};
  const bool sized = ok && ::GetFileSizeEx(out.Get(), &copied);
  out.Close();
  if (ok) {
    Step("copy-before-publish");
    // Without MOVEFILE_REPLACE_EXISTING: an existing name refuses the copy.
    ok =
        ::MoveFileExW(hidden.c_str(), win32::PathInFolder(folder.Descriptor(), name).c_str(), MOVEFILE_WRITE_THROUGH) ||
        win32::FailWithLastError();
  }
  if (!ok) {
    const int err = errno;
    RemoveTemporary(hidden);
    errno = err;
  }
  if (ok && sized && version != nullptr) {
    // Ticks since 1601 to seconds and nanoseconds since 1970.
    constexpr std::int64_t kEpochDifference = 11644473600;
    const auto written = static_cast<std::int64_t>(v.written);
    *version = {static_cast<std::uint64_t>(copied.QuadPart), written / 10000000 - kEpochDifference,
                static_cast<long>(written % 10000000 * 100)};
  }
  if (ok) return changed ? Attempt::PublishedTorn : Attempt::Published;
  return changed && !last ? Attempt::Changed : Attempt::Failed;
}

}  // namespace

CopyResult CopyIntoFolder(const std::string& src, const FolderHandle& folder, const std::string& name, int attempts,
                          CopiedVersion* version) {
  // Shared as widely as possible; a file another program holds without sharing reading cannot
  // be opened (a sharing violation): the source is unreadable.
  Handle in(::CreateFileW(win32::LongPath(src).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!in.Valid()) {
    win32::FailWithLastError();
    return CopyResult::SourceFailed;
  }
  Version v;
  if (!ReadVersion(in.Get(), v)) return CopyResult::SourceFailed;
  if (v.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    errno = EISDIR;
    return CopyResult::SourceFailed;
  }
  CopyResult result = CopyResult::TargetFailed;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    Step("copy-attempt");
    const Attempt outcome = CopyOnce(in.Get(), v, folder, name, attempt == attempts, version);
    if (outcome == Attempt::Changed) continue;
    if (outcome == Attempt::Published) result = CopyResult::Copied;
    if (outcome == Attempt::PublishedTorn) result = CopyResult::CopiedWhileChanging;
    break;
  }
  return result;
}

}  // namespace talvenor::platform
