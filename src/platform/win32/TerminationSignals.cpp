#include "platform/TerminationSignals.h"

#include <csignal>

#include "platform/win32/WinText.h"

namespace talvenor::platform {
namespace {

HANDLE g_event = nullptr;
volatile LONG g_signal = 0;

// Runs on a thread of its own: it only records the event, so the main thread ends the run
// after the pass in progress.
BOOL WINAPI OnConsoleEvent(DWORD type) {
  LONG signal = SIGTERM;
  if (type == CTRL_C_EVENT) signal = SIGINT;
  if (type == CTRL_BREAK_EVENT) signal = SIGBREAK;
  ::InterlockedExchange(&g_signal, signal);
  ::SetEvent(g_event);
  // Closing the console ends the process once this returns: give the main thread the time a
  // pass needs to finish, within the system's limit of five seconds.
  if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) ::Sleep(4500);
  return TRUE;
}

}  // namespace

void BlockTerminationSignals() {
  if (g_event != nullptr) return;
  g_event = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int WaitForTerminationSignal(int timeoutMs) {
  if (g_event == nullptr) BlockTerminationSignals();
  const DWORD wait = ::WaitForSingleObject(g_event, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
  if (wait != WAIT_OBJECT_0) return 0;
  return static_cast<int>(::InterlockedExchange(&g_signal, 0));
}

void IgnoreBrokenPipe() {
  // Writes to a closed pipe fail with an error here; nothing ends the program.
}

bool TerminationSignalPending() { return ::InterlockedCompareExchange(&g_signal, 0, 0) != 0; }

}  // namespace talvenor::platform
