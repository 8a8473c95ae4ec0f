#pragma once
// What the program's own text files (the change log) begin with on this system.
#include <string_view>

namespace talvenor::platform {

// The UTF-8 byte-order mark: without it a Japanese Windows reads a CSV file as code page 932,
// and every name outside plain ASCII comes out garbled in its spreadsheet.
inline constexpr std::string_view kTextFileMark = "\xEF\xBB\xBF";

}  // namespace talvenor::platform
