#pragma once
// Small files of the program's own inside a folder that someone else may be able to write to.
// They are reached through the folder's descriptor, never through a link, and used only when
// they are regular files of this user with no second name: a file planted or linked in is
// neither read nor written, only replaced.
#include <optional>
#include <string>
#include <string_view>

#include "platform/FolderHandle.h"

namespace talvenor::platform {

// The contents of name inside folder; nullopt when it is missing, not a file of ours, or
// larger than maxBytes.
std::optional<std::string> ReadOwnFile(const FolderHandle& folder, const std::string& name, std::size_t maxBytes);

// Adds line and a line break at the end of name in one write, after a line break of its own
// when the file does not end in one (a write torn by a crash). A missing file is made (0600);
// an entry that is not a file of ours is replaced by one holding the line alone.
bool AppendOwnLine(const FolderHandle& folder, const std::string& name, std::string_view line);

// Puts a new file holding text under name, in one rename, whatever stood there.
bool ReplaceOwnFile(const FolderHandle& folder, const std::string& name, std::string_view text);

}  // namespace talvenor::platform
