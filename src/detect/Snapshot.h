#pragma once
// A snapshot: every file of the watched tree in depth-first scan order.
#include <vector>

#include "detect/Element.h"

namespace talvenor {

using Snapshot = std::vector<CElement>;

// The two snapshots of the run. Both are empty between passes; the last scan then lives
// only in the snapshot file.
extern Snapshot g_currentSnapshot;
extern Snapshot g_previousSnapshot;

void ClearCurrentSnapshot();
void ClearPreviousSnapshot();

}  // namespace talvenor
