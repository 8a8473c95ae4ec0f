#include "support/TempDir.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace talvenor::test {

TempDir::TempDir() : TempDir(fs::temp_directory_path().string()) {}

TempDir::TempDir(const std::string& parent) {
  std::string tmpl = (fs::path(parent) / "talvenor-test-XXXXXX").string();
  if (::mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  m_path = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back every permission first, so read-only folders made by a test can go.
  for (auto it = fs::recursive_directory_iterator(m_path, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
  }
  ::chmod(m_path.c_str(), 0700);
  fs::remove_all(m_path, ec);
}

std::string TempDir::Write(const std::string& relative, const std::string& contents) const {
  const fs::path p = fs::path(m_path) / relative;
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << contents;
  return p.string();
}

std::string TempDir::MakeFolder(const std::string& relative) const {
  const fs::path p = fs::path(m_path) / relative;
  fs::create_directories(p);
  return p.string();
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void SetWriteTime(const std::string& path, long long unixSeconds) {
  timeval times[2];
  times[0].tv_sec = unixSeconds;
  times[0].tv_usec = 0;
  times[1] = times[0];
  ::utimes(path.c_str(), times);
}

}  // namespace talvenor::test
