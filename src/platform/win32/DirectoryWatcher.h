#pragma once
// Change notification for a whole folder tree through one ReadDirectoryChangesW on its root,
// subtree included. File names, folder names, sizes and write times are reported; the names
// they carry become the folders the next pass lists again. A lost or overflowed buffer means
// everything. The watched path is checked every couple of seconds to still name the watched
// folder; when it names another (or comes back after a removal), the tree is watched anew.
#include <chrono>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/Watcher.h"

namespace talvenor::platform {

class DirectoryWatcher final : public Watcher {
 public:
  DirectoryWatcher() = default;
  ~DirectoryWatcher() override;

  // False when the folder cannot be watched at all.
  bool Open(const std::string& root) override;
  // One watch covers the whole tree from OpenUnwatched on, so the folders of a caller's walk
  // need nothing more.
  bool OpenUnwatched(const std::string& root) override { return Open(root); }
  void WatchFolder(const std::string&) override {}
  void WatchesAdded() override {}
  StepResult Step(int timeoutMs) override;
  void RequestStop() override;
  void Close() override;

  // One watch holds the whole tree: no per-folder limit can force polling.
  bool PollingMode() const override { return false; }
  std::size_t WatchCount() const override { return m_dir != nullptr ? 1 : 0; }

 private:
  bool OpenRoot();
  void CloseRoot();
  bool Issue();
  bool HandleBatch(std::size_t bytes);
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
};

}  // namespace talvenor::platform
