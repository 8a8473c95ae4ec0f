#pragma once
// Single-path file operations. Each returns true on success; on failure errno is left as
// the system set it, so the caller can tell why.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileTime.h"

namespace talvenor::platform {

// Exact-path existence test: an entry of exactly this name exists (links not followed).
bool PathExists(const std::string& path);

// True when the path names a folder (links followed).
bool IsFolder(const std::string& path);
// True when the path names a regular file, links followed.
bool IsRegularFile(const std::string& path);

// True when both paths name the same folder (links followed).
bool SameFolder(const std::string& a, const std::string& b);

// True when the path names a regular file this process can open for reading.
bool CanReadFile(const std::string& path);

struct FileStatus {
  std::uint64_t size = 0;
  FileTime writeTime = 0;  // UTC FILETIME
  unsigned mode = 0;       // permission bits
};
std::optional<FileStatus> StatFile(const std::string& path);

// What tells one version of a file from another without reading it: device, inode, size and
// the modification and change times to the nanosecond.
struct FileIdentity {
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modified = 0, changed = 0;  // nanoseconds
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentifyFile(const std::string& path);

// One level, mode 0777 reduced by the umask.
bool MakeDirectory(const std::string& path);
bool RemoveFile(const std::string& path);
bool RemoveDirectory(const std::string& path);

// Adds the owner's write permission (for a folder also read and search) so that its
// contents can be deleted: the Linux meaning of "attributes back to normal".
bool ResetAttributesToNormal(const std::string& path);

// Renames without ever replacing an existing entry.
bool RenameNoReplace(const std::string& from, const std::string& to);
// Renames over an existing file; only for files the program writes for itself.
bool RenameReplace(const std::string& from, const std::string& to);

// True for a path that names its place without the current folder.
bool IsAbsolutePath(const std::string& path);
// How much of an absolute path names its root, with the separator after it: "/" here;
// "C:\", "\\server\share\" or "\\?\C:\" on Windows. ".." never climbs above it.
std::size_t RootLength(const std::string& path);

// Absolute path with links, "." and ".." resolved; empty when it cannot be resolved.
std::string ResolvePath(const std::string& path);

std::string CurrentDirectory();

// Flushes a folder's entry list to disk (after a rename or link into it).
bool SyncFolder(const std::string& folder);
// Flushes the whole file system holding the path.
bool SyncFileSystemOf(const std::string& path);

// The folder part of a path, without trailing "/" (".", when it has none).
std::string ParentFolder(const std::string& path);

// Up to length bytes of an open file from offset (fewer at its end); false with errno.
bool ReadAt(int fd, std::int64_t offset, std::size_t length, std::string& out);
// Cuts an open file to length bytes.
bool TruncateTo(int fd, std::int64_t length);

}  // namespace talvenor::platform
