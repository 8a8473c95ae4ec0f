#pragma once
// A real temporary folder for a test, removed with everything in it afterwards (read-only
// entries included).
#include <string>

namespace talvenor::test {

class TempDir {
 public:
  TempDir();
  // Inside parent instead of the temporary folder (another file system, for one).
  explicit TempDir(const std::string& parent);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  // path + "/" + relative
  std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

  // Writes a file (making its folders), returns its full path.
  std::string Write(const std::string& relative, const std::string& contents) const;
  std::string MakeFolder(const std::string& relative) const;

 private:
  std::string m_path;
};

std::string ReadFile(const std::string& path);
// Sets a file's last-write time to the given Unix seconds.
void SetWriteTime(const std::string& path, long long unixSeconds);

}  // namespace talvenor::test
