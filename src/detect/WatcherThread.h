#pragma once
// The watcher thread of a session: it blocks on the change notification of the watched tree
// and only raises the change flag. Stop wakes it and joins it before returning.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/Watcher.h"

namespace talvenor {

class WatcherThread {
 public:
  // This system's watcher.
  WatcherThread();
  ~WatcherThread() { Stop(); }
  WatcherThread(const WatcherThread&) = delete;
  WatcherThread& operator=(const WatcherThread&) = delete;

  // Watches the tree below folder and starts the thread that raises flag on every change.
  // False when no notification could be set up (the session then sees nothing, unless the
  // watcher fell back to polling mode).
  bool Start(const std::string& folder, std::atomic<int>& flag);
  // The same for a caller that walks the tree itself: Prepare watches nothing yet, WatchFolder
  // (from any thread) watches one folder, to be called before the caller lists it, and Begin
  // starts the thread once the walk is over. Events of the walk wait in the kernel's queue.
  bool Prepare(const std::string& folder, std::atomic<int>& flag);
  void WatchFolder(const std::string& folder) { m_watcher->WatchFolder(folder); }
  void Begin();
  // The program's own files in that folder raise nothing. Before Start.
  void IgnoreFilesIn(const std::string& folder, std::function<bool(const std::string& name)> isIgnored) {
    m_watcher->Touched().IgnoreFilesIn(folder, std::move(isIgnored));
  }
  // Entries the predicate accepts are of no interest: folders are not watched, nor anything
  // below them, and files raise nothing. Before Start.
  void Skip(std::function<bool(const std::string& path, bool folder)> skip) {
    m_watcher->Touched().Skip(std::move(skip));
  }
  void Stop();
  bool IsRunning() const { return m_thread.joinable(); }
  // Another watcher from the next Start on: a stand-in that reports what a test says.
  void UseWatcher(std::unique_ptr<platform::Watcher> watcher) {
    Stop();
    m_watcher = std::move(watcher);
  }

  // When the flag is up, takes it down with the folders touched since the last time.
  platform::TouchedFolders TakeTouched(std::atomic<int>& flag, bool& raised) {
    return m_watcher->Touched().TakeTouched(flag, raised);
  }

  // True when the watch limit was met: every tick must run a pass.
  bool PollingMode() const { return m_watcher->PollingMode(); }

 private:
  void Run();

  std::unique_ptr<platform::Watcher> m_watcher;
  std::thread m_thread;
  bool m_prepared = false;
};

}  // namespace talvenor
