#include "platform/TerminationSignals.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <initializer_list>

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

int g_signalPipe[2] = {-1, -1};

// Runs inside the signal: a write of one byte is all it may safely do.
void NoteSignal(int signal) {
  const int saved = errno;
  const char byte = static_cast<char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

int TerminationSignalDescriptor() {
  if (g_signalPipe[0] >= 0) return g_signalPipe[0];
  if (::pipe2(g_signalPipe, O_NONBLOCK | O_CLOEXEC) != 0) return -1;
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  return g_signalPipe[0];
}

int TakeTerminationSignal(int descriptor) {
  char byte = 0;
  return ::read(descriptor, &byte, 1) == 1 ? static_cast<unsigned char>(byte) : 0;
}

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
  return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1 ||
         sigismember(&pending, SIGHUP) == 1;
}

void IgnoreBrokenPipe() { ::signal(SIGPIPE, SIG_IGN); }

}  // namespace talvenor::platform
