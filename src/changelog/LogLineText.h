#pragma once
// The text of change lines, as the writer puts them in "log.csv" and as a reader finds them.
#include <string>
#include <string_view>
#include <vector>

namespace talvenor {

// Linux allows line breaks in names; one record must stay one line, so they are written as
// the control pictures U+240D and U+240A. Every other byte of a name is kept as it is.
std::string EscapeLineBreaks(const std::string& line);

// The copy paths that the change lines of log name for the file at sourcePath, oldest first.
// The name and path fields hold commas unquoted, so a line is recognised by its whole start,
// name + "," + path + ","; what follows is the copy path (empty when no copy was made).
std::vector<std::string> CopiesNamedInLog(std::string_view log, const std::string& sourcePath);

}  // namespace talvenor
