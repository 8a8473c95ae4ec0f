#include "platform/SystemSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace talvenor::platform {

std::optional<FolderSpace> SystemSpaceOf(const std::string& folder) {
  struct statvfs st {};
  struct stat where {};
  if (::statvfs(folder.c_str(), &st) != 0 || ::stat(folder.c_str(), &where) != 0) return std::nullopt;
  return FolderSpace{static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize, static_cast<std::uint64_t>(st.f_favail),
                     static_cast<std::uint64_t>(where.st_dev)};
}

}  // namespace talvenor::platform
