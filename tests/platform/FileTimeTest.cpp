#include <gtest/gtest.h>

#include "platform/FileTime.h"

using namespace talvenor::platform;

namespace {

struct OffsetGuard {
  explicit OffsetGuard(long seconds) { SetUtcOffsetSourceForTest([seconds] { return seconds; }); }
  ~OffsetGuard() { SetUtcOffsetSourceForTest(nullptr); }
};

}  // namespace

TEST(FileTime, ConvertsUnixTimeToWindowsTicks) {
  EXPECT_EQ(ToFileTime(0, 0), 116444736000000000ULL);
  EXPECT_EQ(ToFileTime(1, 999), 116444736010000009ULL);
  EXPECT_EQ(ToFileTime(-11644473601LL, 0), 0u) << "times before 1601 clamp to zero";
}

TEST(FileTime, LocalTimeUsesTheOffsetInForceNow) {
  // 2008-03-05 07:08:09 UTC+9, the Japanese desktop's zone.
  const FileTime utc = ToFileTime(1204668489, 0);
  {
    OffsetGuard jst(9 * 3600);
    const FileTime local = FileTimeToLocalFileTime(utc);
    EXPECT_EQ(local, 128491744890000000ULL);
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(local)), "20080305070809");
  }
  // A daylight-saving hour more moves the same file by one hour; west of Greenwich, a day back.
  for (const auto& [offset, stamp] : {std::pair(10 * 3600L, "20080305080809"), std::pair(-5 * 3600L, "20080304170809")}) {
    OffsetGuard zone(offset);
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(FileTimeToLocalFileTime(utc))), stamp) << offset;
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
  SetLocalTimeSourceForTest([fixed] { return fixed; });
  EXPECT_EQ(FormatStamp(GetLocalTime()), "20120917143005");
  SetLocalTimeSourceForTest(nullptr);
  EXPECT_GE(GetLocalTime().year, 2020);
}
