#pragma once
// The backend of platform/Watcher.h that this system uses, under the name the engine uses.
#include "platform/win32/DirectoryWatcher.h"

namespace talvenor::platform {

using SystemWatcher = DirectoryWatcher;

}  // namespace talvenor::platform
