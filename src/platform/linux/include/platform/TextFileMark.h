#pragma once
// What the program's own text files (the change log) begin with on this system.
#include <string_view>

namespace talvenor::platform {

// Nothing: UTF-8 is what every program here reads a text file as.
inline constexpr std::string_view kTextFileMark = "";

}  // namespace talvenor::platform
