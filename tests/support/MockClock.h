#pragma once
// A clock the test sets, in force for the MockClock's lifetime: a fixed local wall clock and one
// offset for every moment. What it is not given is asked of the clock in force before it.
#include <mutex>
#include <optional>

#include "platform/Clock.h"

namespace talvenor::test {

class MockClock final : public platform::Clock {
 public:
  MockClock() = default;
  explicit MockClock(const platform::SystemTime& now) : m_now(now) {}

  void SetLocalNow(const platform::SystemTime& now) {
    std::lock_guard lock(m_mutex);
    m_now = now;
  }
  void SetUtcOffset(long seconds) {
    std::lock_guard lock(m_mutex);
    m_offset = seconds;
  }

  platform::SystemTime LocalNow() const override {
    {
      std::lock_guard lock(m_mutex);
      if (m_now) return *m_now;
    }
    return m_scope.Previous().LocalNow();
  }
  long UtcOffsetAt(std::int64_t unixSeconds) const override {
    {
      std::lock_guard lock(m_mutex);
      if (m_offset) return *m_offset;
    }
    return m_scope.Previous().UtcOffsetAt(unixSeconds);
  }

 private:
  mutable std::mutex m_mutex;
  std::optional<platform::SystemTime> m_now;
  std::optional<long> m_offset;
  platform::ScopedClock m_scope{*this};  // last: in force only once the rest is made
};

}  // namespace talvenor::test
