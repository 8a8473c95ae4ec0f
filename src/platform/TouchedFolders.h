#pragma once
// What a change notification tells a pass, whichever system's notification it came from.
#include <set>
#include <string>

namespace talvenor::platform {

// The folders whose listings events changed since they were last taken (paths end in "/").
struct TouchedFolders {
  std::set<std::string> listed;    // files or subfolders came, went or changed in them
  std::set<std::string> subtrees;  // new, moved in, renamed or made readable: with all they hold
  bool everything = false;         // events were lost, or the tree was watched anew
};

}  // namespace talvenor::platform
