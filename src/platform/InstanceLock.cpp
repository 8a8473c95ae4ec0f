#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace talvenor::platform {
namespace {

std::string g_sharedTemporary;  // empty: /tmp

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
    const std::string shared = g_sharedTemporary.empty() ? "/tmp" : g_sharedTemporary;
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

void InstanceLock::Release() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  m_path.clear();
}

void InstanceLock::SetSharedTemporaryFolderForTest(const std::string& folder) { g_sharedTemporary = folder; }

}  // namespace talvenor::platform
