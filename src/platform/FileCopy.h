#pragma once
// Copies that never show a half-written file under a name anyone reads: the bytes go into a
// temporary first and the finished file is published in one step.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/LockedFile.h"

namespace talvenor::platform {

// CopyFileA with fail-if-exists. The copy gets the source's permission bits (never more
// open) and last-write time; an existing dst is never replaced. On failure nothing is left
// behind and errno tells why (EEXIST when dst exists, ENOSPC when the disk is full).
bool CopyFileNoReplace(const std::string& src, const std::string& dst);

// Replaces dst with the bytes of from, from offset to its end: written to tmpPath, flushed,
// then renamed over dst. The new file is locked in replaced before the rename, so a lock
// held on dst is never let go. A crash leaves either the old dst or the complete new one.
bool ReplaceWithTail(const LockedFile& from, std::int64_t offset, const std::string& tmpPath, const std::string& dst,
                     LockedFile& replaced);

// Writes the bytes of from, from offset to its end, over dst (temporary, fsync, rename).
bool CopyTailReplacing(const LockedFile& from, std::int64_t offset, const std::string& dst);

// Crash tests stop the process at named steps: "copy-chunk" after each piece of a copy,
// "copy-before-publish", "replace-before-rename", "replace-after-rename". Empty turns it off.
void SetCopyStepHookForTest(std::function<void(const std::string& step)> hook);

}  // namespace talvenor::platform
