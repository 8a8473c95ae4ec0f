#pragma once
// The backend of platform/Watcher.h that this system uses, under the name the engine uses.
#include "platform/linux/InotifyWatcher.h"

namespace talvenor::platform {

using SystemWatcher = InotifyWatcher;

}  // namespace talvenor::platform
