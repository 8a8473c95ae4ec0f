#include "platform/DirReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/DirEntryFill.h"
#include "platform/FaultInjection.h"

namespace talvenor::platform {

DirReader::~DirReader() { Close(); }

int DirReader::Open(const std::string& folder, bool listedByParent) {
  Close();
  m_lastError = 0;
  if (const int injected = InjectedOpenError(folder); injected != 0) return CodeForErrno(injected, listedByParent);
  const char* path = folder.empty() ? "." : folder.c_str();
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return CodeForErrno(errno, listedByParent);
  // A folder that can be read but not searched (mode 0600) lists names whose files cannot be
  // looked at: it denies access as surely as one that cannot be read.
  if (::faccessat(fd, ".", X_OK, AT_EACCESS) != 0 && errno == EACCES) {
    ::close(fd);
    return kSearchAccessDenied;
  }
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    const int err = errno;
    ::close(fd);
    return CodeForErrno(err, listedByParent);
  }
  m_dir = dir;
  return kSearchOk;
}

bool DirReader::Next(DirEntry& entry) {
  DIR* dir = static_cast<DIR*>(m_dir);
  if (dir == nullptr) return false;
  const int dfd = ::dirfd(dir);
  for (;;) {
    errno = 0;
    const dirent* de = ::readdir(dir);
    if (de == nullptr) {
      m_lastError = errno;
      return false;
    }
    const char* name = de->d_name;
    if (IsDotName(name)) continue;

    // A folder needs no stat: its size and time are never used.
    if (de->d_type == DT_DIR) {
      FillKindOnly(entry, name, EntryKind::Folder);
      return true;
    }
    if (de->d_type != DT_REG && de->d_type != DT_LNK && de->d_type != DT_UNKNOWN) continue;
    if (m_kindsOnly && de->d_type == DT_REG) {
      FillKindOnly(entry, name, EntryKind::File);
      return true;
    }

    struct stat lst {};
    const auto isLink = [&] {
      return de->d_type == DT_LNK ||
             (de->d_type == DT_UNKNOWN && ::fstatat(dfd, name, &lst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(lst.st_mode));
    };
    const auto passedLink = [&] {
      FillPassedLink(entry, name);
      return true;
    };
    struct stat st {};
    // Following links is what makes a link to a file count as that file.
    if (::fstatat(dfd, name, &st, 0) != 0) {
      if (m_reportPassedLinks && isLink()) return passedLink();
      continue;  // dangling link, or vanished meanwhile
    }
    if (S_ISDIR(st.st_mode)) {
      if (de->d_type == DT_LNK || (de->d_type == DT_UNKNOWN &&
                                   (::fstatat(dfd, name, &lst, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(lst.st_mode)))) {
        if (m_reportPassedLinks) return passedLink();
        continue;  // never walk into a linked folder
      }
      FillKindOnly(entry, name, EntryKind::Folder);
      return true;
    }
    if (!S_ISREG(st.st_mode)) {
      if (m_reportPassedLinks && isLink()) return passedLink();
      continue;
    }
    entry.name.assign(name);
    entry.kind = EntryKind::File;
    entry.size = static_cast<std::uint64_t>(st.st_size);
    entry.writeTime = ToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    const bool link = isLink();
    entry.otherNames = st.st_nlink > 1;
    entry.indirect = link || entry.otherNames;
    entry.device = static_cast<std::uint64_t>(st.st_dev);
    entry.inode = static_cast<std::uint64_t>(st.st_ino);
    return true;
  }
}

void DirReader::Close() {
  if (m_dir != nullptr) {
    ::closedir(static_cast<DIR*>(m_dir));
    m_dir = nullptr;
  }
}

}  // namespace talvenor::platform
