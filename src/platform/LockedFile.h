#pragma once
// A file opened "without sharing": an exclusive advisory lock is taken on open, and a lock
// held elsewhere makes the open fail as if the file could not be opened.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace talvenor::platform {

class LockedFile {
 public:
  enum class Mode {
    ReadExisting,       // read only, the file must exist
    ReadWriteExisting,  // read and write, the file must exist, no truncation
    ReadWriteCreate,    // read and write, created or cut to length 0
  };

  LockedFile() = default;
  ~LockedFile();
  LockedFile(LockedFile&& other) noexcept;
  LockedFile& operator=(LockedFile&& other) noexcept;
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  // False with errno set (EWOULDBLOCK when another holder has the lock).
  bool Open(const std::string& path, Mode mode);
  void Close();
  bool IsOpen() const { return m_fd >= 0; }

  // Appends at the end of the file; false with errno on a short or failed write.
  bool Append(std::string_view data);
  // Size as the file system reports it for the open descriptor; -1 on error.
  std::int64_t Size() const;
  // The bytes the file really holds: its size less its holes (a sparse file holds few); -1 on error.
  std::int64_t StoredBytes() const;
  bool Sync();
  // True while path still names the open file (not removed, not replaced by a rename).
  bool IsStillAt(const std::string& path) const;
  int Descriptor() const { return m_fd; }
  const std::string& Path() const { return m_path; }

 private:
  int m_fd = -1;
  std::string m_path;
};

// Replaces the file at path with data so that a crash or a full disk leaves either the
// complete old file or the complete new one: temporary beside it, fsync, rename, fsync of
// the folder. Fails, leaving the old file, when it cannot be opened for writing: EWOULDBLOCK
// when another holder has it locked, EACCES when it is read-only.
bool ReplaceFileAtomically(const std::string& path, std::string_view data);
// The same for contents made in pieces: produce hands each piece to put, which writes it
// (false once a write failed), so a large file is never held whole.
using PiecePut = std::function<bool(std::string_view piece)>;
bool ReplaceFileAtomically(const std::string& path, const std::function<bool(const PiecePut& put)>& produce);

// The one way the program replaces a file of its own: write(fd) fills a temporary beside
// path (given mode & 0777), which is fsynced and renamed over path, then the folder is
// fsynced. On any failure the temporary is removed, path is untouched and errno says why.
bool ReplaceThroughTemporary(const std::string& path, unsigned mode, const std::function<bool(int fd)>& write);
// True when name is one that ReplaceThroughTemporary gives the temporary of a file named
// base: base, ".tmp~" and six letters or digits. Only such names may be cleared away after a
// crash; the marker keeps a user's "test2.dat.backup" from ever looking like one.
bool IsReplacementTemporaryName(std::string_view name, std::string_view base);

// Writes all of data to a descriptor, looping over short writes; false with errno on failure.
bool WriteAllTo(int fd, std::string_view data);

}  // namespace talvenor::platform
