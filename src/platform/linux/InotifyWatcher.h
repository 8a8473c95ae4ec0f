#pragma once
// Change notification for a whole folder tree: one inotify watch per folder, and an eventfd
// beside it so that another thread can wake a blocked Step. Reports file-name, size and
// write-time changes only; folder events just add, move or drop watches. The watched path is
// checked every couple of seconds to still name the watched folder (remounts, a parent renamed
// away and the path made again); when it names another, the tree is watched anew.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/TouchedFolders.h"

namespace talvenor::platform {

class InotifyWatcher {
 public:
  enum class StepResult {
    Nothing,  // timed out, or only events that raise nothing
    Changed,  // something a pass must look at
    Stopped,  // RequestStop was called
    Failed,   // the watcher could not be set up; nothing will ever be seen
  };

  InotifyWatcher() = default;
  ~InotifyWatcher();
  InotifyWatcher(const InotifyWatcher&) = delete;
  InotifyWatcher& operator=(const InotifyWatcher&) = delete;

  // Watches root and every folder below it. False when no inotify instance could be made.
  // A watch limit met on the way switches to polling mode instead of failing.
  bool Open(const std::string& root);
  // The same in three steps, for a caller that walks the tree itself: no watch yet; then one
  // folder at a time, from any thread and before Step is first called, each one before the
  // caller lists it; then done.
  bool OpenUnwatched(const std::string& root);
  void WatchFolder(const std::string& folder);
  void WatchesAdded();
  // Waits up to timeoutMs (-1: no limit), at most a couple of seconds, and handles one batch of
  // events. Nothing on a timeout, so callers just step again.
  StepResult Step(int timeoutMs);
  // Any thread: wakes the Step in progress, or the next one, with Stopped.
  void RequestStop();
  void Close();

  // Events on the files of one folder whose names isIgnored accepts raise nothing: the program
  // writing its own log inside the watched tree must not cause the next pass. Before Open.
  void IgnoreFilesIn(const std::string& folder, std::function<bool(const std::string& name)> isIgnored);

  // Entries that skip accepts (a path without a trailing "/"; folder: whether it is one) are
  // of no interest: a folder gets no watch, nor does anything below it, and a file's events
  // raise nothing. It is asked on the watcher's thread. Before Open.
  void Skip(std::function<bool(const std::string& path, bool folder)> skip) { m_skip = std::move(skip); }

  // The flag that a change raises, and that TakeTouched takes down. Before Open.
  void RaiseOnChange(std::atomic<int>* flag) { m_flag = flag; }
  // After a Step that saw a change: raises the flag unless what it touched was taken already.
  void RaiseFlag();
  // When the flag is up: takes it down and takes the folders touched so far with it. Folders
  // touched by events that raise nothing (a new empty folder) wait for the next change.
  TouchedFolders TakeTouched(std::atomic<int>& flag, bool& raised);

  // Set when a watch could not be added for the per-user limit: every tick must then run a pass.
  bool PollingMode() const { return m_pollingMode.load(); }
  std::size_t WatchCount() const { return m_paths.size(); }

  // Simulates a kernel queue overflow on the next Step (the one fault a test cannot cause).
  void InjectOverflowForTest() { m_fakeOverflow = true; }
  // Makes every later watch fail as if the per-user limit had been reached.
  void SimulateWatchLimitForTest() { m_fakeLimit = true; }

 private:
  // Adds watches to folder and all folders below it; true when a file was met on the way.
  bool WatchTree(const std::string& folder);
  struct NewWatch {
    std::string folder;
    int wd = -1;
    unsigned mode = 0;
    bool isRoot = false;
    bool ignored = false;  // the folder whose own files raise nothing
    std::pair<std::uint64_t, std::uint64_t> rootIdentity{0, 0};
  };
  // A watch's system calls, safe on any thread; RecordWatch puts it into the maps.
  std::optional<NewWatch> MakeWatch(const std::string& folder);
  void RecordWatch(const NewWatch& made);
  int AddWatch(const std::string& folder);
  void RenameWatches(const std::string& from, const std::string& to);
  std::vector<int> WatchesUnder(const std::string& prefix) const;
  void DropWatches(const std::vector<int>& wds);
  // Removes path's key only while it still names that watch.
  void ForgetPath(const std::string& path, int wd);
  // Leaves the root lost, so that the next Step watches whatever the path then names.
  void DropAllWatches();
  bool HandleBatch(const char* data, long length);
  bool RecoverRoot();
  // A watched folder's permissions changed: one that can now be read may hold files that the
  // last pass was denied; one that can no longer be read holds none for the next pass.
  bool FolderModeChanged(int wd);
  // Records what the next pass must list again.
  void Touch(const std::string& folder, bool withAllItHolds);
  void TouchEverything();
  void CheckRootIdentity();

  int m_inotifyFd = -1;
  int m_wakeFd = -1;
  int m_rootWd = -1;
  bool m_rootLost = false;
  std::string m_root;
  std::pair<std::uint64_t, std::uint64_t> m_rootIdentity{0, 0};  // device and inode watched
  std::chrono::steady_clock::time_point m_lastRootCheck{};
  std::map<int, std::string> m_paths;  // watch -> folder path (no trailing "/")
  std::map<std::string, int> m_wds;    // folder path -> watch
  // Rename cookie -> folder that left, with the watches it took along.
  std::map<unsigned, std::pair<std::string, std::vector<int>>> m_movedFrom;
  std::set<int> m_watchedAgain;     // watches recorded since a folder last left, in this Step
  std::map<int, unsigned> m_modes;  // watch -> the folder's permission bits
  std::atomic<bool> m_pollingMode{false};
  std::string m_ignoredFolder;
  std::function<bool(const std::string&)> m_isIgnored;
  int m_ignoredWd = -1;
  std::function<bool(const std::string&, bool)> m_skip;
  std::optional<std::pair<std::uint64_t, std::uint64_t>> m_ignoredIdentity;  // taken at Open
  std::atomic<int>* m_flag = nullptr;
  std::mutex m_walkMutex;  // the folders of a caller's walk come from its threads
  std::mutex m_touchedMutex;
  TouchedFolders m_touched;
  bool m_fakeOverflow = false;
  std::atomic<bool> m_fakeLimit{false};  // set by a test while the watcher thread runs
};

}  // namespace talvenor::platform
