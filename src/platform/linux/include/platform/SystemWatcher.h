#pragma once
// The change notification of this system, under the name the engine uses.
#include "platform/linux/InotifyWatcher.h"

namespace talvenor::platform {

using SystemWatcher = InotifyWatcher;

}  // namespace talvenor::platform
