#include "detect/FolderSize.h"

#include <vector>

#include "platform/DirReader.h"

namespace talvenor {
namespace {

int g_folderCounter = 0;

}  // namespace

int FolderCounter() { return g_folderCounter; }
void SetFolderCounterForTest(int value) { g_folderCounter = value; }

std::int64_t GetFolderSize(const std::string& folder, UiPort& ui) {
  ++g_folderCounter;
  // The separator is added even after one already there: "" then lists the root, as the
  // pattern "\*.*" does.
  const std::string base = folder + "/";
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

  for (const std::string& sub : subfolders) {
    const std::int64_t size = GetFolderSize(sub, ui);
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
