// An open record moves with its owner on every system.
#include "platform/FolderFile.h"

#include <utility>

namespace talvenor::platform {

AppendFile::~AppendFile() { Close(); }

AppendFile::AppendFile(AppendFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

}  // namespace talvenor::platform
