#include "platform/Clock.h"

#include <atomic>

namespace talvenor::platform {
namespace {

constinit const SystemClock g_systemClock;
constinit std::atomic<const Clock*> g_current{&g_systemClock};

}  // namespace

const Clock& Clock::Current() { return *g_current.load(std::memory_order_acquire); }

ScopedClock::ScopedClock(const Clock& clock) : m_previous(g_current.exchange(&clock, std::memory_order_acq_rel)) {}

ScopedClock::~ScopedClock() { g_current.store(m_previous, std::memory_order_release); }

SystemTime GetLocalTime() { return Clock::Current().LocalNow(); }

long UtcOffsetSecondsAt(std::int64_t unixSeconds) { return Clock::Current().UtcOffsetAt(unixSeconds); }

}  // namespace talvenor::platform
