#include "app/TerminalHost.h"

#include <algorithm>

#include "platform/TerminationSignals.h"

namespace talvenor {

void TerminalHost::StartTimer(int milliseconds) {
  m_interval = std::chrono::milliseconds(std::max(1, milliseconds));
  m_next = Clock::now() + m_interval;
}

int TerminalHost::Run(const std::function<void()>& tick) {
  for (;;) {
    int wait = -1;
    if (TimerRunning()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_next - Clock::now()).count();
      wait = static_cast<int>(std::max<long long>(0, left));
    }
    // A signal that came during a pass is taken here, after the pass has finished.
    if (const int signal = platform::WaitForTerminationSignal(wait); signal != 0) return signal;
    if (!TimerRunning() || Clock::now() < m_next) continue;
    // Ticks missed during a long pass are not made up: one pass covers them all.
    m_next += m_interval;
    if (m_next < Clock::now()) m_next = Clock::now() + m_interval;
    tick();
  }
}

}  // namespace talvenor
