#include "app/HelpSearch.h"

#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

std::string Under(std::string folder, const std::string& page) {
  if (folder.empty() || folder.back() != platform::kSeparator) folder += platform::kSeparator;
  return folder + page;
}

}  // namespace

std::string FindHelpPage(const std::string& page, const std::string& installedFolder,
                         const std::function<std::string(const std::string& page)>& writeBuiltIn) {
  const std::string local = Under(platform::CurrentDirectory(), page);
  if (platform::IsRegularFile(local)) return local;
  if (!installedFolder.empty()) {
    const std::string installed = Under(installedFolder, page);
    if (platform::IsRegularFile(installed)) return installed;
  }
  return writeBuiltIn ? writeBuiltIn(page) : std::string();
}

}  // namespace talvenor
