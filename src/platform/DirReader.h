#pragma once
// Folder listing in place of FindFirstFile/FindNextFile. Entries come in the order the
// file system returns them; "." and ".." are passed over by name.
#include <cstdint>
#include <string>

#include "platform/FileTime.h"

namespace talvenor::platform {

// The search codes the engine acts upon.
enum SearchCode : int {
  kSearchOk = 0,
  kSearchNotFound = 2,      // a folder that vanished after its parent listed it
  kSearchPathNotFound = 3,  // the folder named by the caller is missing
  kSearchAccessDenied = 5,
  kSearchNotReady = 21,
  kSearchPathTooLong = 206,  // the folder's path is longer than the system accepts
};

// PassedLink: a link that names no file now (dangling, or to a folder or a device); only for a
// reader that asked for them.
enum class EntryKind { File, Folder, PassedLink };

struct DirEntry {
  std::string name;
  EntryKind kind = EntryKind::File;
  std::uint64_t size = 0;  // of the file, or of a linked file's target
  FileTime writeTime = 0;  // UTC FILETIME
  // A file whose changes its folder may never hear of: a link to a file (the target changes),
  // or a file with other names (written through one of those). With the file's identity.
  bool indirect = false;
  bool otherNames = false;  // more than one name, here or anywhere on its file system
  std::uint64_t device = 0, inode = 0;
};

class DirReader {
 public:
  DirReader() = default;
  ~DirReader();
  DirReader(const DirReader&) = delete;
  DirReader& operator=(const DirReader&) = delete;

  // Opens the folder (a trailing "/" is harmless). Returns a SearchCode, or for errors
  // without a code of their own the errno value, which callers treat as "any other".
  // listedByParent: the folder was just met in its parent's listing, so a missing folder
  // has vanished meanwhile (code 2) rather than being wrong (code 3).
  int Open(const std::string& folder, bool listedByParent = false);

  // Next file or folder. Symbolic links to files count as those files; links to folders,
  // dangling links, FIFOs, sockets and devices are passed over, so no walk can loop or block.
  bool Next(DirEntry& entry);

  // Entries whose kind the listing itself tells (plain files, folders) come without size and
  // time: a walk that only needs the folders saves a look at every file.
  void SetKindsOnly(bool kindsOnly) { m_kindsOnly = kindsOnly; }
  // Links passed over come back as PassedLink: what they name may become a file later.
  void SetReportPassedLinks(bool report) { m_reportPassedLinks = report; }

  // errno of the last failure inside Next (0 at a clean end of the listing).
  int LastError() const { return m_lastError; }

  void Close();
  bool IsOpen() const { return m_dir != nullptr; }

  // Maps an errno met when opening a folder onto a search code.
  static int CodeForErrno(int err, bool listedByParent);

 private:
  void* m_dir = nullptr;  // DIR*, kept opaque so no system header leaks upward
  int m_lastError = 0;
  bool m_kindsOnly = false;
  bool m_reportPassedLinks = false;
};

}  // namespace talvenor::platform
