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
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Watcher.h"

namespace talvenor::platform {

class InotifyWatcher final : public Watcher {
 public:
  InotifyWatcher() = default;
  ~InotifyWatcher() override;

  // A watch limit met on the way switches to polling mode instead of failing.
  bool Open(const std::string& root) override;
  bool OpenUnwatched(const std::string& root) override;
  void WatchFolder(const std::string& folder) override;
  void WatchesAdded() override;
  StepResult Step(int timeoutMs) override;
  void RequestStop() override;
  void Close() override;

  // Set when a watch could not be added for the per-user limit.
  bool PollingMode() const override { return m_pollingMode.load(); }
  std::size_t WatchCount() const override { return m_paths.size(); }

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
  int m_ignoredWd = -1;
  std::optional<std::pair<std::uint64_t, std::uint64_t>> m_ignoredIdentity;  // taken at Open
  std::mutex m_walkMutex;  // the folders of a caller's walk come from its threads
};

}  // namespace talvenor::platform
