#pragma once
// The whole of a small file the user keeps beside the watched files (a pattern file).
#include <cstddef>
#include <string>

namespace talvenor::platform {

enum class ReadOutcome {
  Read,
  Missing,     // nothing of that name
  Unreadable,  // cannot be opened or read, no regular file, or larger than the limit
};

// Links followed. A FIFO or device of that name is never waited on.
ReadOutcome ReadSmallFile(const std::string& path, std::size_t limit, std::string& out);

}  // namespace talvenor::platform
