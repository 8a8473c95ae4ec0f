#pragma once
// The units of a FILETIME, for each system's clock and the arithmetic every system shares.
#include <cstdint>

namespace talvenor::platform {

inline constexpr std::int64_t kEpochDifference = 11644473600;  // seconds from 1601 to 1970
inline constexpr std::uint64_t kTicksPerSecond = 10000000;

}  // namespace talvenor::platform
