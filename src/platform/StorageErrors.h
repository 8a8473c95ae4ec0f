#pragma once
// Which errno values of a refused write say that the storage itself is full or out of reach,
// as opposed to something about the one file; the set differs per system.

namespace talvenor::platform {

bool IsStorageOutage(int error);

}  // namespace talvenor::platform
