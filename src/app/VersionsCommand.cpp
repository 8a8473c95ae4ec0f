#include "app/VersionsCommand.h"

#include <cstdio>

#include "app/EngineText.h"
#include "app/Headless.h"
#include "app/StateFolder.h"
#include "backup/VersionList.h"
#include "core/Messages.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

void PrintError(const char* text, const std::string& value) {
  const std::string line = "talvenor: " + msg::Format(TranslateText("talvenor", text), {value}) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace

int RunVersions(const CommandLine& command, const Settings& settings) {
  const std::string current = platform::CurrentDirectory();
  const std::string source = AbsoluteFilePath(*command.versions, current);
  const std::string backup = command.backup ? AbsoluteFolder(*command.backup) : settings.DIR2;
  // The log is only read: a state folder that does not exist is not made for it.
  const std::string stateFolder = StateFolderFor(command);
  const std::string logFolder = stateFolder.empty() ? current : AbsoluteFilePath(stateFolder, current);
  const VersionListing listing = ListVersions(backup, source, logFolder + platform::kSeparatorText + "log.csv");
  if (!listing.backupReadable) {
    PrintError(kBackupUnreadableText, backup);
    return kExitNoVersions;
  }
  if (listing.versions.empty()) {
    PrintError(kNoCopiesText, source);
    return kExitNoVersions;
  }
  std::string out;
  for (const FoundVersion& v : listing.versions)
    out += PassTimeOf(v.generation) + "\t" + std::to_string(v.size) + "\t" + v.copyPath + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitDone : kExitNoVersions;
}

}  // namespace talvenor
