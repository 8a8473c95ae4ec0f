#pragma once
// Names inside a folder held open: the folder's path is asked of its handle each time, so a
// folder renamed while open is followed.
#include <windows.h>

#include <string>

namespace talvenor::platform::win32 {

// The long path of the open folder (descriptor from DescriptorFor) joined with name; empty
// when the folder's place cannot be told, so that the operation fails rather than act on a
// name relative to the current folder.
std::wstring PathInFolder(int folderDescriptor, const std::string& name);
// The path a folder was opened by, asked only when the system cannot name the handle's path
// (Wine cannot past 260 characters) and only while it still names that same folder.
void RememberFolderPath(int folderDescriptor, std::wstring path);
void ForgetFolderPath(int folderDescriptor);
// The long path of whatever the handle has open; empty on failure.
std::wstring PathOf(HANDLE h);

// True when the owner of the open entry is the user this process runs as.
bool OwnedByCurrentUser(HANDLE h);

}  // namespace talvenor::platform::win32
