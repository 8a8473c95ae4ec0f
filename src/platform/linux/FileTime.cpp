#include "platform/FileTime.h"

#include <ctime>

#include "platform/Clock.h"

namespace talvenor::platform {

long CurrentUtcOffsetSeconds() { return UtcOffsetSecondsAt(std::time(nullptr)); }

long SystemClock::UtcOffsetAt(std::int64_t unixSeconds) const {
  const std::time_t at = static_cast<std::time_t>(unixSeconds);
  std::tm local{};
  if (localtime_r(&at, &local) != nullptr) return local.tm_gmtoff;
  // A year the C library cannot express: the offset of now, as good as any.
  const std::time_t now = std::time(nullptr);
  return localtime_r(&now, &local) != nullptr ? local.tm_gmtoff : 0;
}

SystemTime SystemClock::LocalNow() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm local{};
  localtime_r(&ts.tv_sec, &local);
  SystemTime st;
  st.year = local.tm_year + 1900;
  st.month = local.tm_mon + 1;
  st.day = local.tm_mday;
  st.hour = local.tm_hour;
  st.minute = local.tm_min;
  st.second = local.tm_sec;
  st.milliseconds = static_cast<int>(ts.tv_nsec / 1000000);
  return st;
}

}  // namespace talvenor::platform
