#include "changelog/LogLineText.h"

#include <cstring>

#include "platform/PathText.h"
#include "platform/TextFileMark.h"

namespace talvenor {

std::string EscapeLineBreaks(const std::string& line) {
  std::string out;
  out.reserve(line.size());
  for (const char c : line) {
    if (c == '\r') {
      out += "\xE2\x90\x8D";
    } else if (c == '\n') {
      out += "\xE2\x90\x8A";
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> CopiesNamedInLog(std::string_view log, const std::string& sourcePath) {
  const std::size_t slash = sourcePath.find_last_of(platform::kSeparator);
  const std::string name = sourcePath.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string start = EscapeLineBreaks(name + "," + sourcePath + ",");
  std::vector<std::string> copies;
  // The mark a log may begin with is no part of its first line.
  std::size_t at = log.starts_with(platform::kTextFileMark) ? platform::kTextFileMark.size() : 0;
  while (at < log.size()) {
    const void* found = std::memchr(log.data() + at, '\n', log.size() - at);
    if (found == nullptr) break;  // torn by a crash: its copy path may be cut short
    const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(found) - log.data());
    std::string_view line = log.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > start.size() && line.compare(0, start.size(), start) == 0)
      copies.emplace_back(line.substr(start.size()));
    at = end + 1;
  }
  return copies;
}

}  // namespace talvenor
