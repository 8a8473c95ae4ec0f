#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/FileTime.h"
#include "support/MockClock.h"

using namespace talvenor::platform;

namespace {

// One zone offset for every moment, for the guard's lifetime.
struct OffsetGuard {
  explicit OffsetGuard(long seconds) { clock.SetUtcOffset(seconds); }
  talvenor::test::MockClock clock;
};

// A zone for the test's thread of the process, given as a rule so that no zone files are needed.
struct ZoneGuard {
  explicit ZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ZoneGuard() {
    if (m_old) {
      ::setenv("TZ", m_old->c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }
  std::optional<std::string> m_old;
};

}  // namespace

TEST(FileTime, ConvertsUnixTimeToWindowsTicks) {
  EXPECT_EQ(ToFileTime(0, 0), 116444736000000000ULL);
  EXPECT_EQ(ToFileTime(1, 999), 116444736010000009ULL);
  EXPECT_EQ(ToFileTime(-11644473601LL, 0), 0u) << "times before 1601 clamp to zero";
}

TEST(FileTime, LocalTimeAddsTheZoneOffset) {
  // 2008-03-05 07:08:09 UTC+9, the Japanese desktop's zone.
  const FileTime utc = ToFileTime(1204668489, 0);
  {
    OffsetGuard jst(9 * 3600);
    const FileTime local = FileTimeToLocalFileTime(utc);
    EXPECT_EQ(local, 128491744890000000ULL);
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(local)), "20080305070809");
  }
  // Another zone moves the same file by its offset; west of Greenwich, a day back.
  for (const auto& [offset, stamp] :
       {std::pair(10 * 3600L, "20080305080809"), std::pair(-5 * 3600L, "20080304170809")}) {
    OffsetGuard zone(offset);
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(FileTimeToLocalFileTime(utc))), stamp) << offset;
  }
}

TEST(FileTime, EachTimeTakesTheOffsetInForceAtThatTimeWhateverTheTimeNow) {
  ZoneGuard berlin("CET-1CEST,M3.5.0,M10.5.0/3");
  const struct {
    long long unix;
    const char* stamp;
  } cases[] = {
      {1792843200, "20261024140000"},  // summer time, the day before it ends
      {1792888200, "20261025023000"},  // 02:30 summer time ...
      {1792891800, "20261025023000"},  // ... and 02:30 winter time, an hour later
      {1792929600, "20261025130000"},  // winter time, the same day
      {1774745999, "20260329015959"},  // the last second of winter time ...
      {1774746000, "20260329030000"},  // ... and the first of summer time
  };
  LocalFileTimes listing;
  for (const auto& c : cases) {
    const FileTime utc = ToFileTime(c.unix, 0);
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(FileTimeToLocalFileTime(utc))), c.stamp) << c.unix;
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(listing.ToLocal(utc))), c.stamp) << c.unix;
  }
  // A listing remembers offsets by week: every moment in the weeks around both changes, asked
  // in any order, gets the offset of its own time.
  for (long long t = 1774746000 - 21 * 86400; t < 1774746000 + 21 * 86400; t += 3 * 4217) {
    for (const long long at : {t, t + 1792891800 - 1774746000}) {
      const FileTime utc = ToFileTime(at, 123);
      ASSERT_EQ(listing.ToLocal(utc), FileTimeToLocalFileTime(utc)) << at;
    }
  }
}

TEST(FileTime, CalendarFieldsAcrossLeapDaysAndCenturies) {
  struct Case {
    long long unix;
    const char* stamp;
  } cases[] = {
      {951782400, "20000229000000"},   // leap day of a 400-year century
      {4107542399, "21000228235959"},  // 2100 is no leap year
      {4107542400, "21000301000000"},
      {-11644473600LL, "16010101000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatStamp(FileTimeToSystemTime(ToFileTime(c.unix, 0))), c.stamp);
  SystemTime st;
  st.year = 12345;
  EXPECT_EQ(FormatStamp(st), "123450101000000") << "a five-digit year keeps all its digits";
}

TEST(FileTime, LocalClockCanBeReplaced) {
  SystemTime fixed{2012, 9, 17, 14, 30, 5, 0};
  {
    talvenor::test::MockClock clock(fixed);
    EXPECT_EQ(FormatStamp(GetLocalTime()), "20120917143005");
  }
  EXPECT_GE(GetLocalTime().year, 2020);
}
