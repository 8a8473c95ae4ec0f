#pragma once
// The program's own files, fixed once from the current directory at start.
#include <string>

namespace talvenor {

struct AppPaths {
  std::string g_snapshotPath;  // "test2.dat"
  std::string g_logPath;       // "log.csv"
  std::string g_logBakPath;    // "log_bak.csv"

  static AppPaths InFolder(const std::string& folder);

  // The folder that holds the three files.
  std::string Folder() const;
  // One of the three names, or exactly the name of a temporary the program makes for one of
  // them ("log.csv.tmp", "test2.dat.tmp~Ab12Cd"). A user's "log.csv.old" is none of these.
  static bool IsOwnFileName(const std::string& name);
  // Removes the temporaries that a crash left in Folder(); the three files stay.
  void RemoveLeftTemporaries() const;
};

}  // namespace talvenor
