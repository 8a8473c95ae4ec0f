#pragma once
// The terminal command line: talvenor --headless [--once] [--watch DIR] [--backup DIR],
// talvenor --help, talvenor --version.
#include <optional>
#include <string>
#include <vector>

namespace talvenor {

struct CommandLine {
  bool headless = false;
  bool once = false;
  bool help = false;
  bool version = false;
  std::optional<std::string> watch;   // replaces DIR1 for this run
  std::optional<std::string> backup;  // replaces DIR2 for this run
};

// args: the words after the program name. False with a one-line reason on a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

// True when the words ask for the terminal rather than the windows (any of our "--" options),
// so that a mistyped terminal command gets its usage text instead of a window.
bool IsTerminalCommandLine(const std::vector<std::string>& args);

std::string UsageText();
std::string VersionText();

}  // namespace talvenor
