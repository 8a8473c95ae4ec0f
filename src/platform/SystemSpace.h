#pragma once
// Each system's own answer to SpaceOf, asked only when no test stands in for it.
#include <optional>
#include <string>

#include "platform/FolderSpace.h"

namespace talvenor::platform {

std::optional<FolderSpace> SystemSpaceOf(const std::string& folder);

}  // namespace talvenor::platform
