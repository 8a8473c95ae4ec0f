#include "platform/FolderSpace.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <mutex>

namespace talvenor::platform {
namespace {

std::mutex g_sourceMutex;
std::function<std::optional<FolderSpace>(const std::string&)> g_source;

}  // namespace

void SetSpaceSourceForTest(std::function<std::optional<FolderSpace>(const std::string&)> source) {
  std::lock_guard lock(g_sourceMutex);
  g_source = std::move(source);
}

std::optional<FolderSpace> SpaceOf(const std::string& folder) {
  {
    std::lock_guard lock(g_sourceMutex);
    if (g_source) return g_source(folder);
  }
  struct statvfs st {};
  struct stat where {};
  if (::statvfs(folder.c_str(), &st) != 0 || ::stat(folder.c_str(), &where) != 0) return std::nullopt;
  return FolderSpace{static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize, static_cast<std::uint64_t>(st.f_favail),
                     static_cast<std::uint64_t>(where.st_dev)};
}

}  // namespace talvenor::platform
