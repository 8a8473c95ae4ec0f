#include "platform/FolderHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/FaultInjection.h"

namespace talvenor::platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Keeps errno of the failure across a close.
void CloseKeepingErrno(int fd) {
  const int err = errno;
  ::close(fd);
  errno = err;
}

// A descriptor that names the folder inside without opening it for reading, so a folder the
// owner may not read yet can still be given its permissions back.
int OpenChildPath(int parent, const std::string& name) {
  const int fd = ::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  if (statted && S_ISDIR(st.st_mode)) return fd;
  if (statted) errno = ENOTDIR;  // O_PATH opens a link itself rather than refusing it
  CloseKeepingErrno(fd);
  return -1;
}

// chmod through the descriptor's own entry in /proc reaches exactly the folder it was opened
// on; a name could have been swapped for a link meanwhile.
bool GiveOwnerAccess(int pathFd) {
  struct stat st {};
  if (::fstat(pathFd, &st) != 0) return false;
  const mode_t mode = (st.st_mode & 07777) | S_IRWXU;
  if (mode == (st.st_mode & 07777)) return true;
  const std::string self = "/proc/self/fd/" + std::to_string(pathFd);
  return ::chmod(self.c_str(), mode) == 0;
}

}  // namespace

void FolderHandle::Close() {
  if (m_fd >= 0) ::close(std::exchange(m_fd, -1));
}

FolderHandle FolderHandle::Open(const std::string& path) {
  return FolderHandle(::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

FolderHandle FolderHandle::Child(const std::string& name) const {
  return FolderHandle(::openat(m_fd, name.c_str(), kFolderFlags));
}

FolderHandle FolderHandle::ChildToEmpty(const std::string& name) const {
  const int pathFd = OpenChildPath(m_fd, name);
  if (pathFd < 0) return {};
  GiveOwnerAccess(pathFd);  // without it the opening below says why
  const int fd = ::openat(pathFd, ".", kFolderFlags);
  CloseKeepingErrno(pathFd);
  return FolderHandle(fd);
}

bool FolderHandle::OpenUpChild(const std::string& name) const {
  const int pathFd = OpenChildPath(m_fd, name);
  if (pathFd < 0) return false;
  const bool ok = GiveOwnerAccess(pathFd);
  CloseKeepingErrno(pathFd);
  return ok;
}

FolderHandle FolderHandle::NewChild(const std::string& name, unsigned mode) const {
  if (::mkdirat(m_fd, name.c_str(), static_cast<mode_t>(mode)) != 0) return {};
  Step("folder-made");
  FolderHandle made = Child(name);
  // An older folder of ours renamed in would pass the owner test: it must grant no more than
  // was asked for, or copies meant for a closed folder land in an open one.
  struct stat st {};
  const bool asMade = made.IsOpen() && ::fstat(made.m_fd, &st) == 0 && st.st_uid == ::geteuid() &&
                      (st.st_mode & 07777 & ~static_cast<mode_t>(mode)) == 0;
  if (!asMade) made.Close();
  if (!made.IsOpen()) errno = EPERM;
  return made;
}

bool FolderHandle::Has(const std::string& name) const {
  struct stat st {};
  return !name.empty() && ::fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool FolderHandle::OwnsEntry(const std::string& name) const {
  struct stat st {};
  return !name.empty() && ::fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_uid == ::geteuid();
}

bool FolderHandle::RemoveEntry(const std::string& name) const { return ::unlinkat(m_fd, name.c_str(), 0) == 0; }

bool FolderHandle::RemoveChild(const std::string& name) const {
  return ::unlinkat(m_fd, name.c_str(), AT_REMOVEDIR) == 0;
}

bool FolderHandle::RenameNoReplace(const std::string& from, const std::string& to) const {
  return ::renameat2(m_fd, from.c_str(), m_fd, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool FolderHandle::List(std::vector<FolderEntry>& entries) const {
  entries.clear();
  const int fd = ::dup(m_fd);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    CloseKeepingErrno(fd);
    return false;
  }
  ::rewinddir(dir);  // the offset is shared with m_fd and may stand at the end of a listing
  int err = 0;
  for (;;) {
    errno = 0;
    const dirent* de = ::readdir(dir);
    if (de == nullptr) {
      err = errno;
      break;
    }
    const char* name = de->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    bool folder = de->d_type == DT_DIR;
    if (de->d_type == DT_UNKNOWN) {
      struct stat st {};
      folder = ::fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({name, folder});
  }
  ::closedir(dir);
  errno = err;
  return err == 0;
}

std::pair<unsigned long long, unsigned long long> FolderHandle::Identity() const {
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) return {0, 0};
  return {st.st_dev, st.st_ino};
}

bool FolderHandle::OwnedByUs() const {
  struct stat st {};
  return ::fstat(m_fd, &st) == 0 && st.st_uid == ::geteuid();
}

bool FolderHandle::Removed() const {
  struct stat st {};
  return ::fstat(m_fd, &st) != 0 || st.st_nlink == 0;
}

bool FolderHandle::SyncFileSystem() const { return ::syncfs(m_fd) == 0; }

}  // namespace talvenor::platform
