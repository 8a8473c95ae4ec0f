#pragma once
// The change notification of this system, under the name the engine uses.
#include "platform/win32/DirectoryWatcher.h"

namespace talvenor::platform {

using SystemWatcher = DirectoryWatcher;

}  // namespace talvenor::platform
