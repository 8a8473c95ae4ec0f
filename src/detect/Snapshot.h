#pragma once
// A snapshot: every file of the watched tree in depth-first scan order.
#include <vector>

#include "detect/Element.h"

namespace talvenor {

using Snapshot = std::vector<CElement>;

// A scratch snapshot for the window's hidden test commands; the engine never uses it. Between
// passes a session holds the last scan itself (see ChangeDetector::HeldSnapshot), until the
// snapshot file is loaded again.
extern Snapshot g_currentSnapshot;

void ClearCurrentSnapshot();

}  // namespace talvenor
