#pragma once
// Windows-style file times: 100-nanosecond units since 1601-01-01, local time made by
// adding the UTC offset in force at the file's own time. The offset in force now would change
// every record of the tree at each daylight-saving change, and every file would be copied again.
#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace talvenor::platform {

using FileTime = std::uint64_t;

struct SystemTime {
  int year = 1601, month = 1, day = 1, hour = 0, minute = 0, second = 0, milliseconds = 0;
};

// UTC seconds and nanoseconds to a FILETIME value.
FileTime ToFileTime(std::int64_t unixSeconds, long nanoseconds);

// Adds the offset east of UTC that was in force at that time.
FileTime FileTimeToLocalFileTime(FileTime utc);

// The same for the many times of one listing: the zone is asked about each week the times fall
// in once, not about every file. A week that holds a change of offset is asked about each time.
class LocalFileTimes {
 public:
  FileTime ToLocal(FileTime utc);

 private:
  struct Span {
    std::int64_t span = -1;  // weeks since 1601; -1: none yet
    long offset = 0;
  };
  std::array<Span, 256> m_spans{};  // three years of weeks without a collision
};

// Adds an offset the caller took.
FileTime ShiftFileTime(FileTime utc, long offsetSeconds);

// Breaks a FILETIME into calendar fields as if it were UTC.
SystemTime FileTimeToSystemTime(FileTime ft);

// The local wall clock now, for generation names, from the clock in force (Clock.h).
SystemTime GetLocalTime();

// "%.4d%.2d%.2d%.2d%.2d%.2d" of year to second.
std::string FormatStamp(const SystemTime& st);

// Seconds east of UTC in force now.
long CurrentUtcOffsetSeconds();

// Seconds east of UTC in force at that moment, from the clock in force (Clock.h).
long UtcOffsetSecondsAt(std::int64_t unixSeconds);

}  // namespace talvenor::platform
