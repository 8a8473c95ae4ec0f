#include "core/SearchOutcome.h"

#include "core/Messages.h"
#include "platform/DirReader.h"

namespace talvenor {

SearchOutcome ReportSearchCode(int code, UiPort& ui, const std::string& folder) {
  switch (code) {
    case platform::kSearchOk:
      return SearchOutcome::Walk;
    case platform::kSearchAccessDenied:
      ui.ShowFolderMessage(msg::kAccessDenied, folder);
      return SearchOutcome::Skip;
    case platform::kSearchNotFound:
      return SearchOutcome::Skip;
    case platform::kSearchNotReady:
      ui.ShowFolderMessage(msg::kDiskNotReady, folder);
      return SearchOutcome::Skip;
    default:
      ui.ShowFolderMessage(msg::kError, folder);
      return SearchOutcome::Fail;
  }
}

}  // namespace talvenor
