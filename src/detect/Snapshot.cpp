#include "detect/Snapshot.h"

namespace talvenor {

Snapshot g_currentSnapshot;
Snapshot g_previousSnapshot;

// Swapping with an empty vector also gives the memory of a large tree back.
void ClearCurrentSnapshot() { Snapshot().swap(g_currentSnapshot); }
void ClearPreviousSnapshot() { Snapshot().swap(g_previousSnapshot); }

}  // namespace talvenor
