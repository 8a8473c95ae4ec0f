#include "core/AppPaths.h"

namespace talvenor {

AppPaths AppPaths::InFolder(const std::string& folder) {
  std::string base = folder;
  if (base.empty() || base.back() != '/') base += '/';
  return AppPaths{base + "test2.dat", base + "log.csv", base + "log_bak.csv"};
}

}  // namespace talvenor
