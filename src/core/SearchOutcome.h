#pragma once
// What a walk does once a folder's listing was asked for: the scan and the emptying of a
// generation folder answer the same codes with the same messages.
#include <string>

#include "core/UiPort.h"

namespace talvenor {

enum class SearchOutcome {
  Walk,  // the listing started: go through its entries
  Skip,  // nothing to walk here (denied, vanished, not ready): the level ends with success
  Fail,  // any other error: the level ends with failure
};

// Shows the code's message about folder, if it has one, and says what to do next.
SearchOutcome ReportSearchCode(int code, UiPort& ui, const std::string& folder);

}  // namespace talvenor
