#include "core/SearchOutcome.h"

#include "core/Messages.h"
#include "platform/DirReader.h"

namespace talvenor {

SearchOutcome ReportSearchCode(int code, UiPort& ui) {
  switch (code) {
    case platform::kSearchOk:
      return SearchOutcome::Walk;
    case platform::kSearchAccessDenied:
      ui.ShowMessage(msg::kAccessDenied);
      return SearchOutcome::Skip;
    case platform::kSearchNotFound:
      return SearchOutcome::Skip;
    case platform::kSearchNotReady:
      ui.ShowMessage(msg::kDiskNotReady);
      return SearchOutcome::Skip;
    default:
      ui.ShowMessage(msg::kError);
      return SearchOutcome::Fail;
  }
}

}  // namespace talvenor
