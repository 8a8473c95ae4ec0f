#pragma once
// The byte copying shared by every copy of the platform layer.
#include <sys/types.h>

#include <cstdint>

namespace talvenor::platform {

// Copies length bytes of in, from offset on, to the current position of out. A source that
// shrank meanwhile ends the copy early; what was there is copied.
bool CopyBytes(int in, off_t offset, std::uint64_t length, int out);

// The whole of in (size bytes) into the empty out: a reflink where the file system shares
// blocks, else CopySparse for a file with holes, else CopyBytes.
bool CloneOrCopy(int in, int out, std::uint64_t size);

// The data of in (size bytes) into the empty out at the same offsets, leaving the holes of in
// as holes in out.
bool CopySparse(int in, int out, std::uint64_t size);

}  // namespace talvenor::platform
