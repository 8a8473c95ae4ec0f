#pragma once
// SIGINT, SIGTERM and SIGHUP taken as events instead of handlers, so a program can finish what it is
// doing before it ends: block them first, then wait for them where it suits.
namespace talvenor::platform {

// Blocks SIGINT, SIGTERM and SIGHUP in the calling thread and in every thread it starts afterwards.
void BlockTerminationSignals();

// Waits up to timeoutMs (-1: no limit) for one of them. Returns the signal
// number, or 0 when the time ran out.
int WaitForTerminationSignal(int timeoutMs);

// Whether one of them waits to be taken, without taking it.
bool TerminationSignalPending();
// The same signals for a program that runs an event loop instead: from the first call on, each
// of them only makes this descriptor readable (the same descriptor at every call; -1 when it
// cannot be made). TakeTerminationSignal gives the signal waiting there, or 0.
int TerminationSignalDescriptor();
int TakeTerminationSignal(int descriptor);

// A write to a pipe nobody reads any more then fails with an error instead of ending the
// program: output is a courtesy, the work goes on without it.
void IgnoreBrokenPipe();

}  // namespace talvenor::platform
