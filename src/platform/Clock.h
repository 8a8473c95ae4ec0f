#pragma once
// The program's one clock: the local wall clock that names generations, and the zone's offset
// that turns file times into local ones. The system's unless a ScopedClock put another in place,
// so tests set the time and the zone the same way on every system.
#include <cstdint>

#include "platform/FileTime.h"

namespace talvenor::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // The local wall clock now.
  virtual SystemTime LocalNow() const = 0;
  // Seconds east of UTC in force at that moment.
  virtual long UtcOffsetAt(std::int64_t unixSeconds) const = 0;

  // The clock in force. Asked from any thread; a replacement must answer from any thread too.
  static const Clock& Current();
};

// What the operating system says; each system has its own.
class SystemClock final : public Clock {
 public:
  SystemTime LocalNow() const override;
  long UtcOffsetAt(std::int64_t unixSeconds) const override;
};

// Puts clock in force until the end of the scope, then the one before it again. Made and ended
// while no other thread asks the time.
class ScopedClock {
 public:
  explicit ScopedClock(const Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

  const Clock& Previous() const { return *m_previous; }

 private:
  const Clock* m_previous;
};

}  // namespace talvenor::platform
