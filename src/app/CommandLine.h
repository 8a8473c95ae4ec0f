#pragma once
// The command line of both modes: talvenor [/S] [--state-dir DIR | --xdg-state],
// talvenor --headless [--once] [--watch DIR] [--backup DIR] [--state-dir DIR | --xdg-state],
// talvenor --versions PATH [--backup DIR] [--state-dir DIR | --xdg-state],
// talvenor --status, talvenor --help, talvenor --version.
#include <optional>
#include <string>
#include <vector>

namespace talvenor {

struct CommandLine {
  bool headless = false;
  bool once = false;
  bool help = false;
  bool version = false;
  bool status = false;                  // tell what the instance running for this user does
  std::optional<std::string> watch;     // replaces DIR1 for this run
  std::optional<std::string> backup;    // replaces DIR2 for this run
  std::optional<std::string> stateDir;  // holds log.csv, log_bak.csv and test2.dat
  std::optional<std::string> versions;  // list the copies of this file
  bool xdgState = false;                // stateDir is $XDG_STATE_HOME/talvenor
  // What the windows are given: "/S", the splash switches and Qt's own options.
  std::vector<std::string> windowArgs;

  bool Terminal() const { return headless || help || version || status || versions.has_value(); }
};

// args: the words after the program name. False with a one-line reason on a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

std::string UsageText();
std::string VersionText();

}  // namespace talvenor
