#include "app/CommandLine.h"

namespace talvenor {
namespace {

// "--watch DIR" or "--watch=DIR"; false when the value is missing.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, const std::string& option,
               std::optional<std::string>& value, std::string& error) {
  const std::string& word = args[i];
  if (word.size() > option.size() && word.compare(0, option.size() + 1, option + "=") == 0) {
    value = word.substr(option.size() + 1);
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    error = option + " needs a folder";
    return false;
  }
  return true;
}

bool Names(const std::string& word, const std::string& option) {
  return word == option || word.rfind(option + "=", 0) == 0;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
  out = CommandLine{};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--headless") {
      out.headless = true;
    } else if (word == "--once") {
      out.once = true;
    } else if (word == "--help" || word == "-h") {
      out.help = true;
    } else if (word == "--version") {
      out.version = true;
    } else if (Names(word, "--watch")) {
      if (!TakeValue(args, i, "--watch", out.watch, error)) return false;
    } else if (Names(word, "--backup")) {
      if (!TakeValue(args, i, "--backup", out.backup, error)) return false;
    } else {
      error = "unexpected argument: " + word;
      return false;
    }
  }
  if (out.help || out.version) return true;
  if (!out.headless) {
    error = "--once, --watch and --backup need --headless";
    return false;
  }
  return true;
}

bool IsTerminalCommandLine(const std::vector<std::string>& args) {
  for (const std::string& word : args) {
    if (word == "--headless" || word == "--once" || word == "--help" || word == "-h" || word == "--version" ||
        Names(word, "--watch") || Names(word, "--backup")) {
      return true;
    }
  }
  return false;
}

std::string UsageText() {
  return "Usage: talvenor [/S]\n"
         "       talvenor --headless [--once] [--watch DIR] [--backup DIR]\n"
         "       talvenor --help | --version\n"
         "\n"
         "Keeps dated copies of every file that changes in the watched folder.\n"
         "\n"
         "  /S            start monitoring as soon as the window opens\n"
         "  --headless    run without windows: messages go to standard error, each line\n"
         "                added to log.csv to standard output; SIGINT or SIGTERM ends it\n"
         "  --once        one pass against the saved snapshot (test2.dat), then exit\n"
         "  --watch DIR   the watched folder for this run, instead of the saved one\n"
         "  --backup DIR  the backup folder for this run, instead of the saved one\n"
         "  --help        show this text\n"
         "  --version     show the version\n"
         "\n"
         "log.csv, log_bak.csv and test2.dat are kept in the current directory.\n"
         "Exit status: 0 done, 1 the change log could not be opened, 2 usage error,\n"
         "3 Start refused, 4 another instance is running.\n";
}

std::string VersionText() { return "Talvenor Version 1.0\n"; }

}  // namespace talvenor
