#include "platform/FolderSpace.h"

#include <mutex>

#include "platform/SystemSpace.h"

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
  return SystemSpaceOf(folder);
}

}  // namespace talvenor::platform
