#include "app/StateFolder.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/WorkingFolder.h"

namespace talvenor {

std::string StateFolderFor(const CommandLine& command) {
  if (command.stateDir) return *command.stateDir;
  if (command.xdgState) return platform::UserStateHome() + platform::kSeparator + "talvenor";
  return {};
}

bool EnterStateFolder(const CommandLine& command) {
  const std::string folder = StateFolderFor(command);
  if (folder.empty()) return true;
  if (platform::MakePrivateFolders(folder) && platform::ChangeCurrentDirectory(folder)) return true;
  std::cerr << "talvenor: " << folder << ": " << std::strerror(errno) << "\n";
  return false;
}

std::string AbsoluteFolder(const std::string& path) {
  if (path.empty() || platform::IsAbsolutePath(path)) return path;
  const std::string base = platform::CurrentDirectory();
  return base.back() == platform::kSeparator ? base + path : base + platform::kSeparator + path;
}

}  // namespace talvenor
