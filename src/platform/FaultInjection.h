#pragma once
// Faults a test puts into the platform layer where the system cannot produce them on demand: a
// full disk part-way through a write, a folder that will not open (EIO, or EACCES when running
// as root), the free space of a file system, someone else's files in the shared temporary
// folder, and named steps inside file operations where a crash test ends the process or a race
// test swaps an entry for a link. One set is in force at a time, put in place for a scope; the
// platform layer asks it at those few points alone, the same way on every system.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/FolderSpace.h"

namespace talvenor::platform {

struct Faults {
  // Called on the thread that reaches a step: "copy-attempt" before each attempt of a copy,
  // "copy-chunk" after each piece, "copy-before-publish", "replace-before-rename",
  // "replace-after-rename", "folder-made" between making a folder and opening it,
  // "folder-listed" after a folder that is being emptied was listed.
  std::function<void(const std::string& step)> atStep{};
  // Writes fail with ENOSPC once this many more bytes were written; negative: never.
  std::int64_t writeFailsAfterBytes = -1;
  // Opening this folder (with or without a separator at the end) fails with openError.
  std::string unopenableFolder{};
  int openError = 0;
  // Answers in place of the file system's free space; nullopt there: the folder is unreachable.
  std::function<std::optional<FolderSpace>(const std::string& folder)> space{};
  // The shared temporary folder in place of the system's (/tmp); Windows uses none.
  std::string sharedTemporaryFolder{};
};

// Puts faults in force until the end of the scope, then the set before it again. Made and ended
// while no other thread does file work.
class ScopedFaults {
 public:
  explicit ScopedFaults(Faults faults);
  ~ScopedFaults();
  ScopedFaults(const ScopedFaults&) = delete;
  ScopedFaults& operator=(const ScopedFaults&) = delete;

 private:
  std::shared_ptr<const Faults> m_previous;
  std::int64_t m_previousWriteBudget;
};

// What the platform layer asks, each a no-op without faults in force.
void Step(const char* name);
// True when a write of that many bytes must fail now (with ENOSPC).
bool InjectedWriteFailure(std::size_t bytesAboutToWrite);
// The errno opening folder must fail with; 0 for none.
int InjectedOpenError(const std::string& folder);
// True, with space set, when the faults answer for the file system.
bool InjectedSpace(const std::string& folder, std::optional<FolderSpace>& space);
// Empty when the system's own shared temporary folder is to be used.
std::string InjectedSharedTemporaryFolder();

}  // namespace talvenor::platform
