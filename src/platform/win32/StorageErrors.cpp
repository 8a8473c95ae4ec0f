#include "platform/StorageErrors.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace talvenor::platform {

// The errno values the system's codes are turned into (WinText): a full disk or quota is
// ENOSPC, a drive or share gone is ENOENT or ENODEV.
bool IsStorageOutage(int error) {
  static constexpr int kOutageErrors[] = {ENOSPC, ENOENT, ENOTDIR, ENODEV, ENXIO, EIO};
  return std::find(std::begin(kOutageErrors), std::end(kOutageErrors), error) != std::end(kOutageErrors);
}

}  // namespace talvenor::platform
