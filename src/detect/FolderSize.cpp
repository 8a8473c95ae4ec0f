#include "detect/FolderSize.h"

#include <vector>

#include "detect/FolderScanner.h"
#include "platform/DirReader.h"
#include "platform/FileTime.h"

namespace talvenor {
namespace {

int g_folderCounter = 0;

}  // namespace

int FolderCounter() { return g_folderCounter; }
void SetFolderCounterForTest(int value) { g_folderCounter = value; }

std::int64_t GetFolderSize(const std::string& folder, UiPort& ui) { return GetFolderSize(folder, ui, nullptr); }

std::int64_t GetFolderSize(const std::string& folder, UiPort& ui, FolderNode* tree) {
  ++g_folderCounter;
  // The separator is added even after one already there: "" then lists the root, as the
  // pattern "\*.*" does.
  const std::string base = folder + "/";
  platform::DirReader reader;
  const int code = reader.Open(base, tree != nullptr && tree->level > 0);
  if (tree != nullptr) tree->code = code;
  if (code != platform::kSearchOk) return 0;

  std::uint64_t total = 0;
  std::vector<std::string> subfolders;
  std::vector<FolderNode*> nodes;
  const long offset = platform::CurrentUtcOffsetSeconds();
  platform::DirEntry entry;
  // Folders are summed after the listing is closed, so a deep tree holds one open listing
  // at a time instead of one per level.
  while (reader.Next(entry)) {
    if (entry.kind == platform::EntryKind::Folder) {
      subfolders.push_back(base + entry.name);
      if (tree != nullptr) nodes.push_back(FolderScanner::AddSubfolder(*tree, entry.name));
    } else {
      total += static_cast<std::uint32_t>(entry.size);
      if (tree != nullptr) FolderScanner::AddFile(*tree, std::move(entry), offset);
    }
  }
  reader.Close();

  for (std::size_t i = 0; i < subfolders.size(); ++i) {
    // Below the deepest level a scan records nothing; the size still counts.
    FolderNode* node = tree != nullptr && nodes[i]->code == FolderScanner::kUnlisted ? nodes[i] : nullptr;
    const std::int64_t size = GetFolderSize(subfolders[i], ui, node);
    if (size < 0) return -1;
    total += static_cast<std::uint64_t>(size);
    ui.ProgressStep();
    ui.ProgressPump(true);
    if (g_folderCounter > kFolderCounterLimit) {
      g_folderCounter = 0;
      ui.ProgressReset();
    }
    if (ui.ProgressCancelRequested()) return -1;
  }
  return static_cast<std::int64_t>(total);
}

}  // namespace talvenor
