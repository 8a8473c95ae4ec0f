#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/FaultInjection.h"

namespace talvenor::platform {
namespace {

// The folder, opened, when it is a real folder of this user's that nobody else may write in;
// -1 otherwise. closeToOthers: a folder of ours that others may write in is closed first.
int OpenOwnFolder(const std::string& path, bool followLink, bool closeToOthers) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
  if (fd < 0) return -1;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
  if (ok && (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) ok = closeToOthers && ::fchmod(fd, 0700) == 0;
  if (!ok) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
    return found->pw_dir;
  return {};
}

struct Place {
  int folder = -1;
  std::string path;  // of the folder
  std::string file;  // the lock file's name inside
};

// The places to try, best first; each folder opened only when it is ours alone.
std::vector<Place> Places(const std::string& name) {
  std::vector<Place> places;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] != '\0') {
    places.push_back({OpenOwnFolder(runtime, true, false), runtime, name + ".lock"});
  } else {
    const std::string injected = InjectedSharedTemporaryFolder();
    const std::string shared = injected.empty() ? "/tmp" : injected;
    const std::string own = shared + "/talvenor-" + std::to_string(::geteuid());
    ::mkdir(own.c_str(), 0700);  // taken already (by us, or by someone else: then refused below)
    places.push_back({OpenOwnFolder(own, false, true), own, name + ".lock"});
  }
  const std::string home = HomeFolder();
  if (!home.empty()) places.push_back({OpenOwnFolder(home, true, false), home, "." + name + ".lock"});
  return places;
}

}  // namespace

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& name) {
  Release();
  bool placed = false;
  bool held = false;
  for (Place& place : Places(name)) {
    if (place.folder < 0) continue;
    if (!placed) {
      const int fd =
          ::openat(place.folder, place.file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
      struct stat st {};
      if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
        placed = true;
        held = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (held) {
          m_fd = fd;
          m_path = place.path + "/" + place.file;
        } else {
          ::close(fd);
        }
      } else if (fd >= 0) {
        ::close(fd);
      }
    }
    ::close(place.folder);
  }
  // No guard possible: run unguarded, as a failed mutex creation would.
  return held || !placed;
}

long InstanceLock::ThisProcess() { return static_cast<long>(::getpid()); }

std::string InstanceLock::PathOf(const std::string& name) {
  // Acquire takes the first place that will do and makes the file there: the first place that
  // holds a file of ours is the one a running copy took.
  std::string found;
  for (Place& place : Places(name)) {
    if (place.folder < 0) continue;
    struct stat st {};
    if (found.empty() && ::fstatat(place.folder, place.file.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
      found = place.path + "/" + place.file;
    ::close(place.folder);
  }
  return found;
}

long InstanceLock::Holder(const std::string& name) {
  const std::string path = PathOf(name);
  struct stat file {};
  if (path.empty() || ::stat(path.c_str(), &file) != 0) return 0;
  // The kernel's table of locks names the holder of each: "1: FLOCK ADVISORY WRITE <pid>
  // <major>:<minor>:<inode> 0 EOF", device numbers in hexadecimal; waiters are marked "->".
  std::ifstream locks("/proc/locks");
  if (locks) {
    std::ostringstream wanted;
    wanted << std::hex << major(file.st_dev) << ":" << minor(file.st_dev) << ":" << std::dec << file.st_ino;
    std::string line;
    while (std::getline(locks, line)) {
      std::istringstream fields(line);
      std::string number, kind, advisory, access, device;
      long pid = 0;
      if (!(fields >> number >> kind >> advisory >> access >> pid >> device) || kind != "FLOCK") continue;
      // Two-digit device numbers are written with a leading zero.
      const auto trimmed = [](const std::string& id) {
        std::string out, part;
        std::istringstream parts(id);
        while (std::getline(parts, part, ':')) {
          part.erase(0, std::min(part.find_first_not_of('0'), part.size() - 1));
          out += (out.empty() ? "" : ":") + part;
        }
        return out;
      };
      if (trimmed(device) == trimmed(wanted.str())) return pid > 0 ? pid : -1;
    }
    return 0;
  }
  // No table to read: a shared lock that cannot be had tells that someone holds it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held ? -1 : 0;
}

void InstanceLock::Release() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  m_path.clear();
}

}  // namespace talvenor::platform
