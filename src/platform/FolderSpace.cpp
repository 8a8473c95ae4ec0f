#include "platform/FolderSpace.h"

#include "platform/FaultInjection.h"
#include "platform/SystemSpace.h"

namespace talvenor::platform {

std::optional<FolderSpace> SpaceOf(const std::string& folder) {
  if (std::optional<FolderSpace> injected; InjectedSpace(folder, injected)) return injected;
  return SystemSpaceOf(folder);
}

}  // namespace talvenor::platform
