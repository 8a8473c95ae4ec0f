#pragma once
// The size pre-check of Start: the total of the file sizes below a folder, with the progress
// window stepped once per summed subfolder and Cancel or Esc noticed between subfolders.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/UiPort.h"
#include "detect/IgnoreRules.h"
#include "detect/SnapshotTree.h"

namespace talvenor {

// The bar restarts after this many folders.
inline constexpr int kFolderCounterLimit = 20000;

// The folders walked since the bar last restarted. The program keeps one for the whole process,
// so the count carries over from one Start to the next.
struct FolderCounter {
  int value = 0;
};
FolderCounter& ProcessFolderCounter();

// Bytes below folder (low 32 bits of each file's size), or -1 when the user cancelled.
// A folder that cannot be listed counts 0.
std::int64_t GetFolderSize(const std::string& folder, UiPort& ui, FolderCounter& counter = ProcessFolderCounter());
// The same total, the folders listed on two threads and every file recorded into tree (its
// path and level set) as a scan lists them: Start then needs no second walk for its baseline.
// beforeListing runs on the listing thread just before each folder within the scan's depth is
// listed (its path ends in "/"). The progress window and Cancel see the one-thread walk.
// What ignore leaves out is neither listed nor counted.
std::int64_t GetFolderSize(const std::string& folder, UiPort& ui, FolderNode& tree,
                           const std::function<void(const std::string& folder)>& beforeListing,
                           std::shared_ptr<const IgnoreRules> ignore = nullptr,
                           FolderCounter& counter = ProcessFolderCounter());

}  // namespace talvenor
