#pragma once
// Small files of the program's own inside a folder held open (the record of a generation):
// reached through the folder's descriptor and never through a link, like everything the backup
// store touches.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FolderHandle.h"

namespace talvenor::platform {

// A file that only grows: each Append is one write at its end, so a process killed at any
// moment leaves every earlier append whole and at most the one in progress torn.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();
  AppendFile(AppendFile&& other) noexcept;
  AppendFile& operator=(AppendFile&& other) noexcept;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens name inside folder for appending, made with mode 0600 when missing. Refused (false,
  // errno) when the name is a link or anything but a regular file.
  bool Open(const FolderHandle& folder, const std::string& name);
  bool Append(std::string_view data);
  // The file is empty or its last byte is c (a file cut short by a crash may end mid-line).
  bool EmptyOrEndsWith(char c) const;
  bool IsOpen() const { return m_fd >= 0; }
  void Close();

 private:
  int m_fd = -1;
};

// The bytes of the regular file name inside folder (a link is refused), at most limit of them;
// false with errno when it cannot be read.
bool ReadFileIn(const FolderHandle& folder, const std::string& name, std::size_t limit, std::string& out);

// The bytes of the regular file at path, at most limit of them; false with errno.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& out);

// Size and last-write time of the regular file name inside folder (a link is not followed);
// nothing when there is none.
struct EntryStatus {
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  long modifiedNanoseconds = 0;
};
std::optional<EntryStatus> StatFileIn(const FolderHandle& folder, const std::string& name);

}  // namespace talvenor::platform
