#pragma once
// Change notification for a whole folder tree through one ReadDirectoryChangesW on its root,
// subtree included. File names, folder names, sizes and write times are reported; the names
// they carry become the folders the next pass lists again. A lost or overflowed buffer means
// everything. The watched path is checked every couple of seconds to still name the watched
// folder; when it names another (or comes back after a removal), the tree is watched anew.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/TouchedFolders.h"

namespace talvenor::platform {

class DirectoryWatcher {
 public:
  enum class StepResult {
    Nothing,  // timed out, or only events that raise nothing
    Changed,  // something a pass must look at
    Stopped,  // RequestStop was called
    Failed,   // the watcher could not be set up; nothing will ever be seen
  };

  DirectoryWatcher() = default;
  ~DirectoryWatcher();
  DirectoryWatcher(const DirectoryWatcher&) = delete;
  DirectoryWatcher& operator=(const DirectoryWatcher&) = delete;

  // Watches root and everything below it. False when the folder cannot be watched at all.
  bool Open(const std::string& root);
  // The same for a caller that walks the tree itself. One watch covers the whole tree from
  // OpenUnwatched on, so the folders of the walk need nothing more.
  bool OpenUnwatched(const std::string& root) { return Open(root); }
  void WatchFolder(const std::string&) {}
  void WatchesAdded() {}
  // Waits up to timeoutMs (-1: no limit), at most a couple of seconds, and handles one batch.
  StepResult Step(int timeoutMs);
  // Any thread: wakes the Step in progress, or the next one, with Stopped.
  void RequestStop();
  void Close();

  // Events on the files of one folder whose names isIgnored accepts raise nothing. Before Open.
  void IgnoreFilesIn(const std::string& folder, std::function<bool(const std::string& name)> isIgnored);

  // Entries that skip accepts (a path without a trailing separator; folder: whether it is one)
  // are of no interest, nor is anything below such a folder. Asked on the watcher's thread.
  // Before Open.
  void Skip(std::function<bool(const std::string& path, bool folder)> skip) { m_skip = std::move(skip); }

  void RaiseOnChange(std::atomic<int>* flag) { m_flag = flag; }
  void RaiseFlag();
  TouchedFolders TakeTouched(std::atomic<int>& flag, bool& raised);

  // One watch holds the whole tree: no per-folder limit can force polling.
  bool PollingMode() const { return false; }
  std::size_t WatchCount() const { return m_dir != nullptr ? 1 : 0; }

  void InjectOverflowForTest() { m_fakeOverflow = true; }
  void SimulateWatchLimitForTest() {}

 private:
  bool OpenRoot();
  void CloseRoot();
  bool Issue();
  bool HandleBatch(std::size_t bytes);
  void Touch(const std::string& folder, bool withAllItHolds);
  void TouchEverything();
  bool RootMoved();
  // One of the folders between the root and relative's own folder is left out.
  bool InSkippedFolder(const std::string& relative) const;

  std::string m_root;
  void* m_dir = nullptr;   // the root's handle, opened for overlapped reads
  void* m_io = nullptr;    // event of the read in flight
  void* m_stop = nullptr;  // event RequestStop sets
  void* m_overlapped = nullptr;
  bool m_pending = false;
  std::vector<unsigned char> m_buffer;
  std::pair<unsigned long long, unsigned long long> m_rootIdentity{0, 0};
  std::chrono::steady_clock::time_point m_lastRootCheck{};
  std::string m_ignoredFolder;
  std::function<bool(const std::string&)> m_isIgnored;
  std::function<bool(const std::string&, bool)> m_skip;
  std::atomic<int>* m_flag = nullptr;
  std::mutex m_touchedMutex;
  TouchedFolders m_touched;
  bool m_fakeOverflow = false;
};

}  // namespace talvenor::platform
