#pragma once
// The Windows program with its windows: what runs when no terminal option is given.
#include <string>
#include <vector>

namespace talvenor::win32 {

// words: the whole command line, the program's name first. The program's status.
int RunWindowed(const std::vector<std::string>& words);

}  // namespace talvenor::win32
