#pragma once
// Where Help finds its page. First under the current directory, where the program has always
// looked; then the installed copy; then a copy built into the program, which the window
// writes somewhere the desktop's browser can open it from a start anywhere.
#include <functional>
#include <string>

namespace talvenor {

// page: relative, such as "help/main.htm". installedFolder: the folder that holds the
// installed "help" folder (empty: none). writeBuiltIn: writes the built-in copy of a page and
// gives its absolute path (empty: none). The absolute file to open, or empty when there is none.
std::string FindHelpPage(const std::string& page, const std::string& installedFolder,
                         const std::function<std::string(const std::string& page)>& writeBuiltIn);

}  // namespace talvenor
