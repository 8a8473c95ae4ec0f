#pragma once
// The folder a program keeps its own files in: the user's state folder, made private, entered
// as the current directory.
#include <string>

namespace talvenor::platform {

// $XDG_STATE_HOME when it is an absolute path, otherwise ~/.local/state.
std::string UserStateHome();

// Makes every missing level of the path with mode 0700; levels that exist are left as they
// are. True when the path then names a folder; false with errno.
bool MakePrivateFolders(const std::string& path);

// False with errno.
bool ChangeCurrentDirectory(const std::string& path);

}  // namespace talvenor::platform
