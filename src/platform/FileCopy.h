#pragma once
// Copies that never show a half-written file under a name anyone reads: the bytes go into a
// temporary first and the finished file is published in one step.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FolderHandle.h"
#include "platform/LockedFile.h"

namespace talvenor::platform {

enum class CopyResult {
  Copied,
  CopiedWhileChanging,  // the source changed under every attempt: the last attempt was kept
  SourceFailed,         // the source cannot be opened, or is no regular file
  TargetFailed,         // the copy could not be written or named (errno: EEXIST, ENOSPC, ...)
};

// What a published copy holds: its size and the last-write time it was given (the source's).
struct CopiedVersion {
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;  // UTC, since 1970
  long modifiedNanoseconds = 0;
};

// CopyFileA with fail-if-exists, into a folder held open: the copy gets the source's
// permission bits (never more open) and last-write time, and is named name inside folder; an
// existing entry is never replaced. A source whose size, last-write or change time moved
// while it was copied is copied again at once, up to attempts in all; such a copy is published
// only when it was the last attempt. On failure nothing is left behind. When published, the
// copy's size and time go to version, if given.
CopyResult CopyIntoFolder(const std::string& src, const FolderHandle& folder, const std::string& name, int attempts,
                          CopiedVersion* version = nullptr);

// The same, into the folder part of dst, in one attempt; true when copied.
bool CopyFileNoReplace(const std::string& src, const std::string& dst);

// A copy over dst, which the user agreed to replace: permission bits and last-write time as
// the source's, written to a temporary beside dst and renamed over it, so a failure leaves the
// old dst whole. True when copied.
bool CopyFileReplacing(const std::string& src, const std::string& dst);

// The hidden temporaries of a copy where the file system has no unnamed files:
// ".talvenor-copy-" and six letters or digits. A crash can leave one behind.
bool IsCopyTemporaryName(const std::string& name);

// Replaces dst with head and then the bytes of from, from offset to its end: written to
// tmpPath, flushed, then renamed over dst. The new file is locked in replaced before the
// rename, so a lock held on dst is never let go. A crash leaves either the old dst or the
// complete new one. Where the system cannot rename over a file held open (Windows without
// POSIX renames, Wine), from is closed for the rename and, should the rename fail, opened
// again on dst.
bool ReplaceWithTail(LockedFile& from, std::int64_t offset, const std::string& tmpPath, const std::string& dst,
                     LockedFile& replaced, std::string_view head = {});

// Writes head and the bytes of from, from offset to its end, over dst (temporary, fsync,
// rename).
bool CopyTailReplacing(const LockedFile& from, std::int64_t offset, const std::string& dst, std::string_view head = {});

}  // namespace talvenor::platform
