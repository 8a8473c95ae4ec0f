#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace talvenor::platform {

bool PathExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && S_ISDIR(sa.st_mode) && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

bool CanReadFile(const std::string& path) {
  // Non-blocking: a FIFO put where a file was must not hang the question.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  ::close(fd);
  return regular;
}

std::optional<FileStatus> StatFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  FileStatus fs;
  fs.size = static_cast<std::uint64_t>(st.st_size);
  fs.writeTime = ToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  fs.mode = st.st_mode & 07777;
  return fs;
}

bool MakeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RemoveDirectory(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

bool ResetAttributesToNormal(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode)) return true;  // a link has no permissions of its own
  mode_t mode = st.st_mode & 07777;
  mode |= S_ISDIR(st.st_mode) ? S_IRWXU : S_IWUSR;
  if (mode == (st.st_mode & 07777)) return true;
  return ::chmod(path.c_str(), mode) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool RenameReplace(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::size_t RootLength(const std::string& path) { return IsAbsolutePath(path) ? 1 : 0; }

std::string ResolvePath(const std::string& path) {
  if (path.empty()) return {};
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string result(resolved);
  std::free(resolved);
  return result;
}

std::string CurrentDirectory() {
  std::vector<char> buf(4096);
  for (;;) {
    if (::getcwd(buf.data(), buf.size()) != nullptr) return buf.data();
    if (errno != ERANGE) return ".";
    buf.resize(buf.size() * 2);
  }
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool SyncFileSystemOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::syncfs(fd) == 0;
  ::close(fd);
  return ok;
}

std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool ReadAt(int fd, std::int64_t offset, std::size_t length, std::string& out) {
  out.resize(length);
  std::size_t got = 0;
  while (got < length) {
    const ssize_t n = ::pread(fd, out.data() + got, length - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      out.clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  out.resize(got);
  return true;
}

bool TruncateTo(int fd, std::int64_t length) { return ::ftruncate(fd, static_cast<off_t>(length)) == 0; }

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  const auto ns = [](const timespec& t) { return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec; };
  return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                      static_cast<std::uint64_t>(st.st_size), ns(st.st_mtim), ns(st.st_ctim)};
}

}  // namespace talvenor::platform
