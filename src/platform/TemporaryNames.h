#pragma once
// The names of the platform layer's own temporaries, made and recognised alike on every system:
// a crash can leave one behind, and only names of this shape may ever be cleared away.
#include <cstddef>
#include <string>
#include <string_view>

namespace talvenor::platform {

// What replaced files' temporaries carry after the file's name, before six letters or digits.
inline constexpr std::string_view kReplacementMarker = ".tmp~";

// count letters or digits, drawn at random.
std::string RandomLetters(std::size_t count);

// A fresh name for a copy's hidden temporary (see IsCopyTemporaryName).
std::string NewCopyTemporaryName();

}  // namespace talvenor::platform
