#pragma once
// The program's own files, fixed once from the current directory at start.
#include <string>

namespace talvenor {

struct AppPaths {
  std::string g_snapshotPath;  // "test2.dat"
  std::string g_logPath;       // "log.csv"
  std::string g_logBakPath;    // "log_bak.csv"

  static AppPaths InFolder(const std::string& folder);
};

}  // namespace talvenor
