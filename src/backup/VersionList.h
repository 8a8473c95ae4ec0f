#pragma once
// Which copies the backup folder holds of one file: the records of the generations, and for
// generations made before there were records, the change lines of the log.
#include <cstdint>
#include <string>
#include <vector>

namespace talvenor {

struct FoundVersion {
  std::string generation;  // 20120917143005.0
  std::string copyPath;    // the copy's full path
  std::uint64_t size = 0;  // of the copy
};

struct VersionListing {
  bool backupReadable = false;         // false: the backup folder could not be listed
  std::vector<FoundVersion> versions;  // newest pass first
};

// Every copy of the file at sourcePath (absolute, as the watched folder names it) that still
// exists in a generation of backupDir. Only reads; a record or log that is damaged or missing
// costs the lines it lost, never the listing.
VersionListing ListVersions(const std::string& backupDir, const std::string& sourcePath, const std::string& logPath);

// The local time of a generation's pass: 20120917143005.0 gives "2012-09-17 14:30:05".
std::string PassTimeOf(const std::string& generation);

// path made absolute against currentDirectory, with ".", ".." and repeated "/" taken out by
// their text alone: the file need not exist any more.
std::string AbsoluteFilePath(const std::string& path, const std::string& currentDirectory);

}  // namespace talvenor
