// An open folder moves with its owner on every system.
#include "platform/FolderHandle.h"

#include <utility>

namespace talvenor::platform {

FolderHandle::~FolderHandle() { Close(); }

FolderHandle::FolderHandle(FolderHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = std::exchange(other.m_fd, -1);
  }
  return *this;
}

}  // namespace talvenor::platform
