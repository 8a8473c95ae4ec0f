// What a held file is on every system: its ownership moves with it, and a whole text is one
// piece of a replacement.
#include "platform/LockedFile.h"

#include <utility>

namespace talvenor::platform {

LockedFile::~LockedFile() { Close(); }

LockedFile::LockedFile(LockedFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
    m_path = std::move(other.m_path);
  }
  return *this;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view data) {
  return ReplaceFileAtomically(path, [data](const PiecePut& put) { return put(data); });
}

}  // namespace talvenor::platform
