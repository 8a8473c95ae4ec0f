#pragma once
// Free space of the file system that holds a folder: a cheap question that can be asked at
// every tick while copies wait for room.
#include <cstdint>
#include <optional>
#include <string>

namespace talvenor::platform {

struct FolderSpace {
  std::uint64_t freeBytes = 0;  // available to this user
  std::uint64_t freeFiles = 0;  // file entries (inodes) available to this user
  std::uint64_t device = 0;     // the file system's device: another one after a disk came back
};

// nullopt when the folder cannot be reached (removed, unplugged).
std::optional<FolderSpace> SpaceOf(const std::string& folder);

}  // namespace talvenor::platform
