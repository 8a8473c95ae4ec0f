#include "detect/Snapshot.h"

namespace talvenor {

Snapshot g_currentSnapshot;

// Swapping with an empty vector also gives the memory of a large tree back.
void ClearCurrentSnapshot() { Snapshot().swap(g_currentSnapshot); }

}  // namespace talvenor
