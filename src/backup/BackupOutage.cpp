#include "backup/BackupOutage.h"

#include <algorithm>

#include "core/Messages.h"

namespace talvenor {
namespace {

constexpr int kMaxRetrySeconds = 3600;
// Free space moves a little all the time (logs, other programs): only this much more, and at
// least the smallest refused copy, counts as room made.
constexpr std::uint64_t kRoomMade = std::uint64_t{1} << 20;

}  // namespace

BackupOutage::BackupOutage(const Settings& settings, UiPort& ui) : m_settings(settings), m_ui(ui) {}

void BackupOutage::Reset() {
  m_waiting = false;
  m_told = false;
  m_retryDelay = 0;
  m_retryCountdown = 0;
}

void BackupOutage::PassEnded(int refused, std::uint64_t smallestRefused, bool outage) {
  if (refused <= 0) {
    Reset();
    return;
  }
  m_waiting = true;
  m_atLastTry = platform::SpaceOf(m_settings.DIR2);
  m_needed = smallestRefused;
  const int maxTicks = std::max(1, kMaxRetrySeconds / std::max(1, m_settings.LEVEL));
  m_retryDelay = m_retryDelay == 0 ? 1 : std::min(m_retryDelay * 2, maxTicks);
  m_retryCountdown = m_retryDelay;
  // Free space tells of a full disk even when the refusal gave another reason.
  const bool noRoom =
      !m_atLastTry || m_atLastTry->freeBytes < std::max(m_needed, kRoomMade) || m_atLastTry->freeFiles == 0;
  if (!m_told && (outage || noRoom)) {
    m_told = true;
    m_ui.ShowNotice(msg::Format(msg::kCopiesWaiting, {m_settings.DIR2}));
  }
}

bool BackupOutage::RetryDue() {
  if (!m_waiting) return false;
  const std::optional<platform::FolderSpace> now = platform::SpaceOf(m_settings.DIR2);
  if (!now) return false;                               // still gone: nothing to try
  if (!m_atLastTry) return true;                        // the folder is back
  if (now->device != m_atLastTry->device) return true;  // a disk mounted there again
  if (now->freeBytes >= m_atLastTry->freeBytes + kRoomMade && now->freeBytes >= m_needed) return true;
  if (m_atLastTry->freeFiles == 0 && now->freeFiles > 0) return true;
  if (now->freeBytes < std::max(m_needed, kRoomMade) || now->freeFiles == 0) return false;  // waits for room
  // Room enough, yet refused (permissions, a quota): tried again, less often while it fails.
  return --m_retryCountdown <= 0;
}

}  // namespace talvenor
