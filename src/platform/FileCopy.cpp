// Copies built from the per-system ones alike on every system.
#include "platform/FileCopy.h"

#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace talvenor::platform {

bool CopyFileNoReplace(const std::string& src, const std::string& dst) {
  const FolderHandle folder = FolderHandle::Open(ParentFolder(dst));
  if (!folder.IsOpen()) return false;
  constexpr char kSeparators[] = {kSeparator, '/', '\0'};
  const CopyResult result = CopyIntoFolder(src, folder, dst.substr(dst.find_last_of(kSeparators) + 1), 1);
  return result == CopyResult::Copied || result == CopyResult::CopiedWhileChanging;
}

}  // namespace talvenor::platform
