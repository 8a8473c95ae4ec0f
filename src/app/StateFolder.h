#pragma once
// Where "log.csv", "log_bak.csv" and "test2.dat" live: the current directory, or the folder
// named by --state-dir or --xdg-state, which then becomes the current directory.
#include <string>

#include "app/CommandLine.h"

namespace talvenor {

// The folder the command line names, or empty when it names none.
std::string StateFolderFor(const CommandLine& command);

// Makes the named folder (mode 0700 for the levels it makes) and enters it. False, after a
// line on standard error, when it cannot be used.
bool EnterStateFolder(const CommandLine& command);

// A relative folder given on the command line, made absolute against the current directory
// before a state folder changes it.
std::string AbsoluteFolder(const std::string& path);

}  // namespace talvenor
