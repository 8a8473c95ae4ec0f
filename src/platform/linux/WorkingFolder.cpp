#include "platform/WorkingFolder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace talvenor::platform {
namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return home;
  // A service manager may start us without HOME.
  const passwd* entry = ::getpwuid(::getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

}  // namespace

std::string UserStateHome() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // Relative values are invalid by the base directory rules and are ignored.
  if (state != nullptr && state[0] == '/') return state;
  const std::string home = HomeFolder();
  return (home == "/" ? "" : home) + "/.local/state";
}

bool MakePrivateFolders(const std::string& path) {
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  // Each level in turn, so that the levels made here are private too (mkdir -p gives the umask's).
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string level = path.substr(0, end);
    if (::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (end == std::string::npos) break;
  }
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  if (!S_ISDIR(status.st_mode)) {
    errno = ENOTDIR;
    return false;
  }
  return true;
}

bool ChangeCurrentDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

}  // namespace talvenor::platform
