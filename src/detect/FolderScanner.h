#pragma once
// The depth-first walk that records every file below the watched folder. A folder is listed
// whole before its subfolders, and subfolders may be listed on two threads: the records come
// out of the tree in the order a one-thread walk would have met them.
#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "core/UiPort.h"
#include "detect/IgnoreRules.h"
#include "detect/Snapshot.h"
#include "detect/SnapshotTree.h"
#include "platform/DirReader.h"
#include "platform/FileTime.h"

namespace talvenor {

class FolderScanner {
 public:
  static constexpr int kDeepestLevel = 255;
  // A subfolder met by a one-level listing, left for the caller to fill.
  static constexpr int kUnlisted = -2;

  explicit FolderScanner(UiPort& ui) : m_ui(ui) {}

  // Level 0's path must be the watched folder ending in "/".
  void SetLevelPath(int level, const std::string& path);
  const std::string& LevelPath(int level) const;

  // Walks the folder of the level and everything below it, appending to snapshot and showing
  // what the walk met. 1 when walked, 0 when the scan failed (records made before stay).
  int ScanFolder(int level, Snapshot& snapshot);

  // Lists node (its path, level and parent set) in place; deep: everything below it too,
  // otherwise its subfolders come back as kUnlisted. Shows nothing: Report does.
  void List(FolderNode& node, bool deep) const;
  // Shows what the listing of one folder met; false when that ends the whole scan.
  bool Report(const FolderNode& node);

  // What the user left out of the tree below root (ending in "/") is not listed: a folder left
  // out is never entered. Paths outside root are listed whole.
  void SetIgnoreRules(std::shared_ptr<const IgnoreRules> rules, std::string root) {
    m_ignore = std::move(rules);
    m_ignoreRoot = std::move(root);
  }

  // Applied to every folder right after its listing, on whichever thread listed it.
  void SetLeaveOut(std::function<void(FolderNode&)> leaveOut) { m_leaveOut = std::move(leaveOut); }
  // Called on the listing thread just before a folder is listed; false leaves it unlisted.
  void SetBeforeListing(std::function<bool(FolderNode&)> hook) { m_beforeListing = std::move(hook); }
  // Called on the listing thread once a folder's listing is complete, failed ones included.
  void SetAfterListing(std::function<void(FolderNode&)> hook) { m_afterListing = std::move(hook); }

  // What a listing met, put into its folder: a subfolder (unlisted, or out of reach below the
  // deepest level) and a file with its time in local time.
  static FolderNode* AddSubfolder(FolderNode& parent, const std::string& name);
  static void AddFile(FolderNode& parent, platform::DirEntry&& entry, platform::LocalFileTimes& times);

  // Called now and then on the thread that asked for a listing, never on a helper: a long walk
  // lets the window answer.
  void SetBreathe(std::function<void()> breathe) { m_breathe = std::move(breathe); }

  // Threads of a deep listing (two cores by default; one for tests of the order).
  void SetThreads(unsigned threads) { m_threads = threads == 0 ? 1 : threads; }

 private:
  // One folder: its files, and its subfolders as unlisted nodes appended to found.
  void ListOne(FolderNode& node, std::vector<FolderNode*>& found) const;
  void Fill(FolderNode& node, std::vector<FolderNode*>& found) const;
  void ListBelow(std::vector<FolderNode*> pending) const;
  // m_breathe, when on the thread that asked for the listing.
  void Breathe() const;

  UiPort& m_ui;
  std::array<SharedFolder, kDeepestLevel + 1> m_levelPath;
  unsigned m_threads = 2;
  std::function<void(FolderNode&)> m_leaveOut;
  std::shared_ptr<const IgnoreRules> m_ignore;
  std::string m_ignoreRoot;
  std::function<bool(FolderNode&)> m_beforeListing;
  std::function<void(FolderNode&)> m_afterListing;
  std::function<void()> m_breathe;
  mutable std::thread::id m_listingThread;
  // A folder deeper than the deepest level, or whose path the system refuses, is left out
  // and the walk goes on; the user hears of each such folder once.
  std::set<std::string> m_outOfReach;
};

}  // namespace talvenor
