#pragma once
// The depth-first walk that records every file below the watched folder.
#include <array>
#include <set>
#include <string>

#include "core/UiPort.h"
#include "detect/Snapshot.h"

namespace talvenor {

class FolderScanner {
 public:
  static constexpr int kDeepestLevel = 255;

  explicit FolderScanner(UiPort& ui) : m_ui(ui) {}

  // Level 0's path must be the watched folder ending in "/".
  void SetLevelPath(int level, const std::string& path);
  const std::string& LevelPath(int level) const;

  // Walks the folder of the level and everything below it, appending to snapshot.
  // 1 when walked, 0 when the scan failed (records made before the failure stay).
  int ScanFolder(int level, Snapshot& snapshot);

 private:
  // A folder deeper than the deepest level, or whose path the system refuses: its files are
  // left out and the walk goes on. The user hears of each such folder once.
  void ReportOutOfReach(const std::string& folder);

  UiPort& m_ui;
  std::set<std::string> m_outOfReach;
  std::array<SharedFolder, kDeepestLevel + 1> m_levelPath;
};

}  // namespace talvenor
