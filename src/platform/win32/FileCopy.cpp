#include "platform/FileCopy.h"

#include <io.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

// The bytes of an open file from offset to its end onto the end of out.
bool CopyTail(int from, std::int64_t offset, int out) {
  constexpr std::size_t kPiece = 1 << 20;
  std::string piece;
  for (std::int64_t at = offset;; at += static_cast<std::int64_t>(piece.size())) {
    if (!ReadAt(from, at, kPiece, piece)) return false;
    if (piece.empty()) return true;
    if (!WriteAllTo(out, piece)) return false;
  }
}

// Renames over a file this process holds open. A plain rename refuses a target that is open;
// POSIX semantics (Windows 10 1709 and later, on NTFS) replace it as Linux does, and the holder
// keeps the old file. False, with nothing changed, where they are not to be had.
bool RenameOverHeld(const std::string& from, const std::string& to) {
  win32::Handle h(::CreateFileW(win32::LongPath(from).c_str(), DELETE | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  if (h.Valid()) {
    const std::wstring target = win32::LongPath(to);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::copy(target.begin(), target.end(), info->FileName);
    // FileRenameInfoEx, which mingw-w64 declares only for a later _WIN32_WINNT than it can take.
    constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    if (::SetFileInformationByHandle(h.Get(), kRenameInfoEx, info, static_cast<DWORD>(buffer.size()))) {
      return true;
    }
  }
  return win32::FailWithLastError();
}

// Without POSIX renames the held file is let go for the plain rename only; the new file is held
// meanwhile, so what takes the name is already ours. A refused rename takes the old file back.
bool RenameOverReleased(const std::string& from, LockedFile& held, const std::string& to) {
  held.Close();
  if (RenameReplace(from, to)) return true;
  const int err = errno;
  held.Open(to, LockedFile::Mode::ReadWriteExisting);
  errno = err;
  return false;
}

}  // namespace

bool ReplaceWithTail(LockedFile& from, std::int64_t offset, const std::string& tmpPath, const std::string& dst,
                     LockedFile& replaced, std::string_view head) {
  if (!from.IsOpen()) {
    errno = EBADF;
    return false;
  }
  // A temporary left by a crash holds nothing of value: the file it was cut from is whole.
  if (!RemoveFile(tmpPath) && errno != ENOENT) return false;
  LockedFile tmp;
  if (!tmp.Open(tmpPath, LockedFile::Mode::ReadWriteCreate)) return false;
  bool ok = (head.empty() || WriteAllTo(tmp.Descriptor(), head)) &&
            CopyTail(from.Descriptor(), offset, tmp.Descriptor()) && tmp.Sync();
  if (ok) {
    Step("replace-before-rename");
    // Both files are open here, each shared for deletion only: nobody else can read or write
    // either meanwhile.
    ok = RenameOverHeld(tmpPath, dst) || RenameOverReleased(tmpPath, from, dst);
  }
  if (!ok) {
    const int err = errno;
    tmp.Close();
    RemoveFile(tmpPath);
    errno = err;
    return false;
  }
  Step("replace-after-rename");
  replaced = std::move(tmp);
  return true;
}

bool CopyTailReplacing(const LockedFile& from, std::int64_t offset, const std::string& dst, std::string_view head) {
  if (!from.IsOpen()) {
    errno = EBADF;
    return false;
  }
  return ReplaceThroughTemporary(dst, 0644, [&from, offset, head](int fd) {
    return (head.empty() || WriteAllTo(fd, head)) && CopyTail(from.Descriptor(), offset, fd);
  });
}

}  // namespace talvenor::platform
