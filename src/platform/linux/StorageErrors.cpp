#include "platform/StorageErrors.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

namespace talvenor::platform {

bool IsStorageOutage(int error) {
  static constexpr int kOutageErrors[] = {ENOSPC, EDQUOT, ENOENT, ENOTDIR, ENODEV, ENXIO, EIO, ENOMEDIUM, ESTALE};
  return std::find(std::begin(kOutageErrors), std::end(kOutageErrors), error) != std::end(kOutageErrors);
}

}  // namespace talvenor::platform
