#pragma once
// Change notification for a whole folder tree. Each system has its backend (its own folder's
// SystemWatcher.h names it); every backend only turns its system's events into calls on the
// collector, which decides what they touched.
#include <cstddef>
#include <string>

#include "platform/TouchedFolderCollector.h"

namespace talvenor::platform {

class Watcher {
 public:
  enum class StepResult {
    Nothing,  // timed out, or only events that raise nothing
    Changed,  // something a pass must look at
    Stopped,  // RequestStop was called
    Failed,   // the watcher could not be set up; nothing will ever be seen
  };

  Watcher() = default;
  virtual ~Watcher() = default;
  Watcher(const Watcher&) = delete;
  Watcher& operator=(const Watcher&) = delete;

  // Watches root and everything below it. False when nothing could be set up.
  virtual bool Open(const std::string& root) = 0;
  // The same in three steps, for a caller that walks the tree itself: no watch yet; then one
  // folder at a time, from any thread and before Step is first called, each one before the
  // caller lists it; then done.
  virtual bool OpenUnwatched(const std::string& root) = 0;
  virtual void WatchFolder(const std::string& folder) = 0;
  virtual void WatchesAdded() = 0;
  // Waits up to timeoutMs (-1: no limit), at most a couple of seconds, and handles one batch of
  // events. Nothing on a timeout, so callers just step again.
  virtual StepResult Step(int timeoutMs) = 0;
  // Any thread: wakes the Step in progress, or the next one, with Stopped.
  virtual void RequestStop() = 0;
  virtual void Close() = 0;

  // Set when the system could not watch every folder: every tick must then run a pass.
  virtual bool PollingMode() const = 0;
  virtual std::size_t WatchCount() const = 0;

  // What the events touched, what they leave out, and the flag they raise. Set up before Open.
  TouchedFolderCollector& Touched() { return m_touched; }

 protected:
  TouchedFolderCollector m_touched;
};

}  // namespace talvenor::platform
