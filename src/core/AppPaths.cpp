#include "core/AppPaths.h"

namespace talvenor {

AppPaths AppPaths::InFolder(const std::string& folder) {
  std::string base = folder;
  if (base.empty() || base.back() != '/') base += '/';
  return AppPaths{base + "test2.dat", base + "log.csv", base + "log_bak.csv"};
}

std::string AppPaths::Folder() const {
  const auto slash = g_logPath.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : g_logPath.substr(0, slash);
}

bool AppPaths::IsOwnFileName(const std::string& name) {
  for (const std::string base : {"test2.dat", "log.csv", "log_bak.csv"}) {
    if (name.compare(0, base.size(), base) != 0) continue;
    if (name.size() == base.size() || name[base.size()] == '.') return true;
  }
  return false;
}

}  // namespace talvenor
