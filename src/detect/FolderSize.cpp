#include "detect/FolderSize.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "detect/FolderScanner.h"
#include "platform/DirReader.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

// After each summed subfolder; true when the user asked to cancel.
bool SubfolderSummed(UiPort& ui, FolderCounter& counter) {
  ui.ProgressStep();
  ui.ProgressPump(true);
  if (counter.value > kFolderCounterLimit) {
    counter.value = 0;
    ui.ProgressReset();
  }
  return ui.ProgressCancelRequested();
}

// The folders whose listing the walk's threads have finished, waited for one by one in the
// order of the one-thread walk. The waiting side looks again every couple of milliseconds
// instead of being woken for each folder: a wake-up per folder would cost the listing threads
// more than the listing itself.
class ListedFolders {
 public:
  void Add(const FolderNode& node) {
    std::lock_guard lock(m_mutex);
    m_listed.insert(&node);
  }
  // A listing can take seconds (a cold disk, a folder of many files): the window is served
  // meanwhile. False when the user cancelled while a subfolder was waited for; the watched
  // folder's own listing cannot be cancelled, like a walk that never meets a subfolder.
  bool WaitFor(const FolderNode& node, UiPort& ui, bool cancellable) {
    std::unique_lock lock(m_mutex);
    while (m_listed.count(&node) == 0) {
      lock.unlock();
      if (cancellable && ui.ProgressCancelRequested()) return false;
      ui.ProgressWait();
      if (cancellable && ui.ProgressCancelRequested()) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      lock.lock();
    }
    return true;
  }

 private:
  std::mutex m_mutex;
  std::unordered_set<const FolderNode*> m_listed;
};

// The sum of what the threads listed, with the steps, pumps and counter of the one-thread
// walk: the same window, the same moments to cancel.
std::int64_t SumListed(const FolderNode& node, UiPort& ui, ListedFolders& listed, FolderCounter& counter) {
  ++counter.value;
  if (!listed.WaitFor(node, ui, node.level > 0)) return -1;
  if (node.code != platform::kSearchOk) return 0;
  std::uint64_t total = 0;
  for (const FileRecord& file : node.files) total += file.size;
  for (const FolderNode::Child& child : node.children) {
    // Below the deepest level a scan records nothing; the size still counts.
    const std::string& path = child.node->path.str();
    const std::int64_t size = child.node->level > FolderScanner::kDeepestLevel
                                  ? GetFolderSize(path.substr(0, path.size() - 1), ui, counter)
                                  : SumListed(*child.node, ui, listed, counter);
    if (size < 0) return -1;
    total += static_cast<std::uint64_t>(size);
    if (SubfolderSummed(ui, counter)) return -1;
  }
  return static_cast<std::int64_t>(total);
}

}  // namespace

FolderCounter& ProcessFolderCounter() {
  static FolderCounter counter;
  return counter;
}

std::int64_t GetFolderSize(const std::string& folder, UiPort& ui, FolderCounter& counter) {
  ++counter.value;
  // The separator is added even after one already there: "" then lists the root, as the
  // pattern "\*.*" does.
  const std::string base = folder + platform::kSeparator;
  platform::DirReader reader;
  if (reader.Open(base) != platform::kSearchOk) return 0;

  std::uint64_t total = 0;
  std::vector<std::string> subfolders;
  platform::DirEntry entry;
  // Folders are summed after the listing is closed, so a deep tree holds one open listing
  // at a time instead of one per level.
  while (reader.Next(entry)) {
    if (entry.kind == platform::EntryKind::Folder) {
      subfolders.push_back(base + entry.name);
    } else {
      total += static_cast<std::uint32_t>(entry.size);
    }
  }
  reader.Close();

  for (const std::string& subfolder : subfolders) {
    const std::int64_t size = GetFolderSize(subfolder, ui, counter);
    if (size < 0) return -1;
    total += static_cast<std::uint64_t>(size);
    if (SubfolderSummed(ui, counter)) return -1;
  }
  return static_cast<std::int64_t>(total);
}

std::int64_t GetFolderSize(const std::string& folder, UiPort& ui, FolderNode& tree,
                           const std::function<void(const std::string& folder)>& beforeListing,
                           std::shared_ptr<const IgnoreRules> ignore, FolderCounter& counter) {
  tree.path = SharedFolder(folder + platform::kSeparator);
  tree.level = 0;
  ListedFolders listed;
  std::atomic<bool> cancelled{false};
  // A scanner of its own: the session's leaves its own files out, but the size counts them.
  FolderScanner scanner(ui);
  scanner.SetIgnoreRules(std::move(ignore), tree.path.str());
  scanner.SetBeforeListing([&](FolderNode& node) {
    if (cancelled) return false;
    beforeListing(node.path.str());
    return true;
  });
  scanner.SetAfterListing([&](FolderNode& node) { listed.Add(node); });
  // The window is let in before the walk, which may keep it waiting for the first listing.
  ui.ProgressWait();
  // The listing runs ahead on two threads while this one serves the progress window.
  std::thread walk([&] { scanner.List(tree, true); });
  const std::int64_t size = SumListed(tree, ui, listed, counter);
  if (size < 0) cancelled = true;
  walk.join();
  return size;
}

}  // namespace talvenor
