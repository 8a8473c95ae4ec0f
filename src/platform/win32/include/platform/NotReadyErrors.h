#pragma once
// The errno values that say a folder's device is not there or not answering.
#include <cerrno>

namespace talvenor::platform {

inline constexpr int kNotReadyErrors[] = {EIO, ENXIO, ENODEV};

}  // namespace talvenor::platform
