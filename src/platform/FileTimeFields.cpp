// What file times are on every system: the arithmetic of 100-ns ticks since 1601, the fields
// of a date and the stamp text.
#include <cstdio>

#include "platform/FileTime.h"
#include "platform/FileTimeUnits.h"

namespace talvenor::platform {
namespace {

// Howard Hinnant's days-to-civil, valid for every date a FILETIME can hold.
void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t yy = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

}  // namespace

FileTime ToFileTime(std::int64_t unixSeconds, long nanoseconds) {
  const std::int64_t secs = unixSeconds + kEpochDifference;
  if (secs < 0) return 0;  // before 1601: Windows cannot express it either
  return static_cast<FileTime>(secs) * kTicksPerSecond + static_cast<FileTime>(nanoseconds / 100);
}

FileTime ShiftFileTime(FileTime utc, long offsetSeconds) {
  const std::int64_t shifted = static_cast<std::int64_t>(utc) + static_cast<std::int64_t>(offsetSeconds) * 10000000LL;
  return shifted < 0 ? 0 : static_cast<FileTime>(shifted);
}

FileTime FileTimeToLocalFileTime(FileTime utc) {
  return ShiftFileTime(utc, UtcOffsetSecondsAt(static_cast<std::int64_t>(utc / kTicksPerSecond) - kEpochDifference));
}

FileTime LocalFileTimes::ToLocal(FileTime utc) {
  // A week: offsets change twice a year in most zones, and never twice within a few weeks.
  constexpr std::int64_t kSpan = 7 * 86400;
  const auto seconds = static_cast<std::int64_t>(utc / kTicksPerSecond);
  const std::int64_t span = seconds / kSpan;
  Span& known = m_spans[static_cast<std::size_t>(span) % m_spans.size()];
  if (known.span != span) {
    // The same offset at both ends of a span holds all through it. The answer depends on the
    // span alone, never on what was asked before, so a file always gets the same local time.
    const std::int64_t first = span * kSpan - kEpochDifference;
    const long offset = UtcOffsetSecondsAt(first);
    if (offset != UtcOffsetSecondsAt(first + kSpan - 1))
      return ShiftFileTime(utc, UtcOffsetSecondsAt(seconds - kEpochDifference));
    known = {span, offset};
  }
  return ShiftFileTime(utc, known.offset);
}

SystemTime FileTimeToSystemTime(FileTime ft) {
  const std::uint64_t totalSeconds = ft / kTicksPerSecond;
  const std::int64_t unixSeconds = static_cast<std::int64_t>(totalSeconds) - kEpochDifference;
  std::int64_t days = unixSeconds / 86400;
  std::int64_t rem = unixSeconds % 86400;
  if (rem < 0) {
    rem += 86400;
    --days;
  }
  SystemTime st;
  CivilFromDays(days, st.year, st.month, st.day);
  st.hour = static_cast<int>(rem / 3600);
  st.minute = static_cast<int>(rem / 60 % 60);
  st.second = static_cast<int>(rem % 60);
  st.milliseconds = static_cast<int>(ft % kTicksPerSecond / 10000);
  return st;
}

std::string FormatStamp(const SystemTime& st) {
  // Written by hand: a scan formats one stamp per file, and snprintf dominated the profile.
  if (st.year < 0 || st.year > 9999) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.4d%.2d%.2d%.2d%.2d%.2d", st.year, st.month, st.day, st.hour, st.minute,
                  st.second);
    return buf;
  }
  char out[14];
  auto two = [](char* p, int v) {
    p[0] = static_cast<char>('0' + v / 10 % 10);
    p[1] = static_cast<char>('0' + v % 10);
  };
  two(out, st.year / 100);
  two(out + 2, st.year % 100);
  two(out + 4, st.month);
  two(out + 6, st.day);
  two(out + 8, st.hour);
  two(out + 10, st.minute);
  two(out + 12, st.second);
  return std::string(out, sizeof out);
}

}  // namespace talvenor::platform
