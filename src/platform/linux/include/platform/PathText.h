#pragma once
// How paths are written on this system.
namespace talvenor::platform {

// Between the names of a path, and at the end of a folder's path in the engine's records.
inline constexpr char kSeparator = '/';
inline constexpr const char kSeparatorText[] = "/";
// The folder the settings name until the user chooses one: the root of the file system.
inline constexpr const char kDefaultFolder[] = "/";

}  // namespace talvenor::platform
