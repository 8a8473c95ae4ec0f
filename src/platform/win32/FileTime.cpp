#include "platform/FileTime.h"

#include <windows.h>

#include "platform/Clock.h"
#include "platform/FileTimeUnits.h"

namespace talvenor::platform {

long CurrentUtcOffsetSeconds() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const auto value = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return UtcOffsetSecondsAt(value / static_cast<std::int64_t>(kTicksPerSecond) - kEpochDifference);
}

long SystemClock::UtcOffsetAt(std::int64_t unixSeconds) const {
  // The zone's rule for that year, daylight saving included; FileTimeToLocalFileTime would
  // apply the offset of now.
  const std::int64_t since1601 = unixSeconds + kEpochDifference;
  if (since1601 < 0) return 0;
  const auto ticks = static_cast<std::uint64_t>(since1601) * kTicksPerSecond;
  FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utcFields{};
  SYSTEMTIME localFields{};
  FILETIME local{};
  if (!::FileTimeToSystemTime(&utc, &utcFields) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &utcFields, &localFields) ||
      !::SystemTimeToFileTime(&localFields, &local))
    return 0;
  const auto localTicks = (static_cast<std::int64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return static_cast<long>((localTicks - static_cast<std::int64_t>(ticks)) /
                           static_cast<std::int64_t>(kTicksPerSecond));
}

SystemTime SystemClock::LocalNow() const {
  SYSTEMTIME local{};
  ::GetLocalTime(&local);
  SystemTime st;
  st.year = local.wYear;
  st.month = local.wMonth;
  st.day = local.wDay;
  st.hour = local.wHour;
  st.minute = local.wMinute;
  st.second = local.wSecond;
  st.milliseconds = local.wMilliseconds;
  return st;
}

}  // namespace talvenor::platform
