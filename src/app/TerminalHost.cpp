#include "app/TerminalHost.h"

#include <algorithm>

#include "platform/TerminationSignals.h"

namespace talvenor {

void TerminalHost::StartTimer(int milliseconds) {
  m_interval = std::chrono::milliseconds(std::max(1, milliseconds));
  m_next = Clock::now() + m_interval;
}

void TerminalHost::StartSaveTimer(int milliseconds) {
  m_saveInterval = std::chrono::milliseconds(std::max(1, milliseconds));
  m_saveNext = Clock::now() + m_saveInterval;
}

namespace {

// Ticks missed during a long pass are not made up: one call covers them all.
bool Due(std::chrono::milliseconds interval, std::chrono::steady_clock::time_point& next) {
  const auto now = std::chrono::steady_clock::now();
  if (interval.count() <= 0 || now < next) return false;
  next += interval;
  if (next < now) next = now + interval;
  return true;
}

}  // namespace

int TerminalHost::Run(const std::function<void()>& tick, const std::function<void()>& saveTick) {
  for (;;) {
    long long wait = -1;
    for (const auto& [interval, next] : {std::pair{m_interval, m_next}, std::pair{m_saveInterval, m_saveNext}}) {
      if (interval.count() <= 0) continue;
      const auto left =
          std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count());
      wait = wait < 0 ? left : std::min(wait, left);
    }
    // A signal that came during a pass is taken here, after the pass has finished.
    if (const int signal = platform::WaitForTerminationSignal(static_cast<int>(wait)); signal != 0) return signal;
    if (Due(m_interval, m_next)) tick();
    if (Due(m_saveInterval, m_saveNext) && saveTick) saveTick();
  }
}

}  // namespace talvenor
