#include "platform/TerminationSignals.h"

#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <ctime>

namespace talvenor::platform {
namespace {

sigset_t TerminationSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  // A closed terminal or a service manager's reload ends the run as cleanly as a stop.
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

void BlockTerminationSignals() {
  const sigset_t set = TerminationSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int WaitForTerminationSignal(int timeoutMs) {
  const sigset_t set = TerminationSet();
  for (;;) {
    int signal = -1;
    if (timeoutMs < 0) {
      if (sigwait(&set, &signal) == 0) return signal;
      continue;
    }
    const timespec timeout{timeoutMs / 1000, static_cast<long>(timeoutMs % 1000) * 1000000L};
    signal = sigtimedwait(&set, nullptr, &timeout);
    if (signal > 0) return signal;
    if (errno == EAGAIN) return 0;
    // EINTR: another signal's handler ran; the remaining time is close enough to wait again.
  }
}

bool TerminationSignalPending() {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGHUP) == 1;
}

void IgnoreBrokenPipe() { ::signal(SIGPIPE, SIG_IGN); }

}  // namespace talvenor::platform
