#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "BuildVersion.h"

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

// Tab completion adds a "/" that Start would refuse; "/" itself stays as it is, and refused.
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// "/S" and the framework's splash switches "/Embedding", "-Automation" in any letter case.
bool IsWindowSwitch(const std::string& word) {
  if (word == "/S") return true;
  if (word.size() < 2 || (word[0] != '/' && word[0] != '-')) return false;
  std::string rest = word.substr(1);
  std::transform(rest.begin(), rest.end(), rest.begin(), [](unsigned char c) { return std::tolower(c); });
  return rest == "embedding" || rest == "automation";
}

// Qt's own options, with one dash or two; how many words each takes, or -1 when it is none of them.
int QtOptionWords(const std::string& word) {
  static constexpr std::array<const char*, 12> kWithValue = {
      "platform",        "platformpluginpath", "platformtheme", "plugin",
      "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
      "display",         "geometry",           "style",         "stylesheet"};
  static constexpr std::array<const char*, 2> kFlags = {"reverse", "widgetcount"};
  if (word.size() < 2 || word[0] != '-') return -1;
  const std::string name = word.substr(word[1] == '-' ? 2 : 1);
  for (const char* flag : kFlags)
    if (name == flag) return 1;
  for (const char* option : kWithValue) {
    if (name == option) return 2;
    if (name.rfind(std::string(option) + "=", 0) == 0) return 1;
  }
  return name.rfind("qmljsdebugger=", 0) == 0 ? 1 : -1;
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
    } else if (word == "--status") {
      out.status = true;
    } else if (word == "--xdg-state") {
      out.xdgState = true;
    } else if (Names(word, "--watch")) {
      if (!TakeValue(args, i, "--watch", out.watch, error)) return false;
      out.watch = WithoutTrailingSlash(*out.watch);
    } else if (Names(word, "--backup")) {
      if (!TakeValue(args, i, "--backup", out.backup, error)) return false;
      out.backup = WithoutTrailingSlash(*out.backup);
    } else if (Names(word, "--versions")) {
      if (!TakeValue(args, i, "--versions", out.versions, error) || out.versions->empty()) {
        error = "--versions needs a file";
        return false;
      }
    } else if (Names(word, "--state-dir")) {
      if (!TakeValue(args, i, "--state-dir", out.stateDir, error)) return false;
      if (out.stateDir->empty()) {
        error = "--state-dir needs a folder";
        return false;
      }
    } else if (IsWindowSwitch(word)) {
      out.windowArgs.push_back(word);
    } else if (const int words = QtOptionWords(word); words > 0 && i + words <= args.size()) {
      for (int k = 0; k < words; ++k) out.windowArgs.push_back(args[i + k]);
      i += words - 1;
    } else {
      error = "unexpected argument: " + word;
      return false;
    }
  }
  if (out.help || out.version || out.status) return true;
  if (out.stateDir && out.xdgState) {
    error = "--state-dir and --xdg-state name the same folder; give one";
    return false;
  }
  if (out.headless && !out.windowArgs.empty()) {
    error = "unexpected argument: " + out.windowArgs.front();
    return false;
  }
  if (out.versions && (out.headless || out.once || out.watch || !out.windowArgs.empty())) {
    error = "--versions takes only --backup, --state-dir and --xdg-state";
    return false;
  }
  if (!out.headless && (out.once || out.watch || (out.backup && !out.versions))) {
    error = "--once, --watch and --backup need --headless";
    return false;
  }
  return true;
}

std::string UsageText() {
  return "Usage: talvenor [/S] [--state-dir DIR | --xdg-state]\n"
         "       talvenor --headless [--once] [--watch DIR] [--backup DIR]\n"
         "                [--state-dir DIR | --xdg-state]\n"
         "       talvenor --versions PATH [--backup DIR] [--state-dir DIR | --xdg-state]\n"
         "       talvenor --status | --help | --version\n"
         "\n"
         "Keeps dated copies of every file that changes in the watched folder.\n"
         "\n"
         "  /S              start monitoring as soon as the window opens\n"
         "  --headless      run without windows: messages go to standard error, each line\n"
         "                  added to log.csv to standard output; SIGINT, SIGTERM or SIGHUP\n"
         "                  ends it after the file in progress (the files a pass has not\n"
         "                  copied yet wait for the next pass that compares)\n"
         "  --once          one pass against the saved snapshot (test2.dat), then exit\n"
         "  --watch DIR     the watched folder for this run, instead of the saved one\n"
         "  --backup DIR    the backup folder for this run, instead of the saved one\n"
         "  --state-dir DIR keep log.csv, log_bak.csv and test2.dat in DIR (made with\n"
         "                  mode 0700 when missing) instead of the current directory\n"
         "  --xdg-state     the same in $XDG_STATE_HOME/talvenor (~/.local/state/talvenor)\n"
         "  --versions PATH list the copies of the file PATH, newest first: the time of the\n"
         "                  pass, the size and the copy's path, separated by tabs; status 1\n"
         "                  when there is none. Only reads, so it runs beside a monitor\n"
         "  --status        tell whether an instance runs for this user: monitoring or\n"
         "                  stopped, its folders, its last pass with changes, the copies\n"
         "                  made today and those waiting; exit status 0 when one runs\n"
         "  --help          show this text\n"
         "  --version       show the version\n"
         "\n"
         "The window also takes Qt's own options, such as -platform NAME or -style NAME.\n"
         "Exit status: 0 done, 1 the change log or its folder could not be used (for\n"
         "--versions: no copy found),\n"
         "2 usage error, 3 Start refused, 4 another instance is running.\n";
}

std::string VersionText() { return "talvenor " TALVENOR_BUILD_VERSION "\n"; }

}  // namespace talvenor
