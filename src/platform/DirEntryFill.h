#pragma once
// What each system's listing decides alike about an entry, once its own calls have told the kind.
#include <string_view>

#include "platform/DirReader.h"

namespace talvenor::platform {

// "." and "..": never entries of their own.
bool IsDotName(std::string_view name);

// An entry whose size, time and identity are not looked at: a folder, or a file of a listing
// that asked for kinds only.
void FillKindOnly(DirEntry& entry, std::string_view name, EntryKind kind);

// A link that names no file now, for a reader that asked for those.
void FillPassedLink(DirEntry& entry, std::string_view name);

}  // namespace talvenor::platform
