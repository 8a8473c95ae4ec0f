#pragma once
// Windows-style file times: 100-nanosecond units since 1601-01-01, local time made by
// adding the UTC offset in force now (not the one at the file's time).
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace talvenor::platform {

using FileTime = std::uint64_t;

struct SystemTime {
  int year = 1601, month = 1, day = 1, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// UTC seconds and nanoseconds to a FILETIME value.
FileTime ToFileTime(std::int64_t unixSeconds, long nanoseconds);

// Adds the offset east of UTC that is in force at the moment of the call.
FileTime FileTimeToLocalFileTime(FileTime utc);

// The same with an offset the caller took once, for walks that convert many times.
FileTime ShiftFileTime(FileTime utc, long offsetSeconds);

// Breaks a FILETIME into calendar fields as if it were UTC.
SystemTime FileTimeToSystemTime(FileTime ft);

// The local wall clock now, for generation names.
SystemTime GetLocalTime();

// "%.4d%.2d%.2d%.2d%.2d%.2d" of year to second.
std::string FormatStamp(const SystemTime& st);

// Seconds east of UTC in force now.
long CurrentUtcOffsetSeconds();

// Tests replace the zone offset and the wall clock; an empty function restores the system's.
void SetUtcOffsetSourceForTest(std::function<long()> source);
void SetLocalTimeSourceForTest(std::function<SystemTime()> source);

}  // namespace talvenor::platform
