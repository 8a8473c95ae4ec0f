#pragma once
// Shared by each system's clock and the arithmetic every system shares.
#include <cstdint>
#include <optional>

#include "platform/FileTime.h"

namespace talvenor::platform {

inline constexpr std::int64_t kEpochDifference = 11644473600;  // seconds from 1601 to 1970
inline constexpr std::uint64_t kTicksPerSecond = 10000000;

// What a test put in place of the zone's offset or of the clock, if anything.
std::optional<long> UtcOffsetFromTestSource();
std::optional<SystemTime> LocalTimeFromTestSource();

}  // namespace talvenor::platform
