// Local file times in the system's own zone: the offset in force at each file's time, not at
// the time of the pass. windows-test.sh runs this with the zone set to Berlin's.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/FileTime.h"

using namespace talvenor::platform;

TEST(Win32Times, EachFileTakesTheOffsetInForceAtItsOwnTime) {
  TIME_ZONE_INFORMATION zone{};
  if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID || zone.Bias != -60 || zone.DaylightBias != -60)
    GTEST_SKIP() << "needs Central European time (TZ=Europe/Berlin under Wine)";
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
      {1342526400, "20120717140000"},  // summer of another year
      {1358424000, "20130117130000"},  // and its winter
  };
  LocalFileTimes listing;
  for (const auto& c : cases) {
    const FileTime utc = ToFileTime(c.unix, 0);
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(FileTimeToLocalFileTime(utc))), c.stamp) << c.unix;
    EXPECT_EQ(FormatStamp(FileTimeToSystemTime(listing.ToLocal(utc))), c.stamp) << c.unix;
  }
}
