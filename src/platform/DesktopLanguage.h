#pragma once
// The language the user's desktop speaks, for a program started without locale variables.
#include <string>

namespace talvenor::platform {

// A locale name ("ja_JP", "en_US"), or "" where the locale variables alone decide (Linux).
std::string DesktopLocale();

}  // namespace talvenor::platform
