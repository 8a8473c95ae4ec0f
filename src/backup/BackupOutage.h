#pragma once
// Copies the backup side refused (full disk, backup folder gone or unplugged): the user is told
// once per outage, and the copies are tried again as soon as room or the folder is back. While
// they wait, a tick costs one free-space question, nothing more.
#include <cstdint>
#include <optional>

#include "core/Settings.h"
#include "core/UiPort.h"
#include "platform/FolderSpace.h"

namespace talvenor {

class BackupOutage {
 public:
  BackupOutage(const Settings& settings, UiPort& ui);

  // After every pass: refused is the number of copies the backup side refused, smallestRefused
  // the size of the smallest of them (0 when unknown); outage: some were refused because the
  // folder is full or cannot be reached. The user is told of an outage only.
  void PassEnded(int refused, std::uint64_t smallestRefused, bool outage);
  // At every tick: true when the refused copies should be tried now.
  bool RetryDue();
  // A new session starts without a past outage.
  void Reset();

 private:
  const Settings& m_settings;
  UiPort& m_ui;
  bool m_waiting = false;
  bool m_told = false;
  std::optional<platform::FolderSpace> m_atLastTry;  // nullopt: the folder could not be reached
  std::uint64_t m_needed = 0;
  // Causes free space does not show (permissions, quotas) are retried after 1, 2, 4 ... ticks,
  // at most an hour apart, so that they do not fill the log with attempts.
  int m_retryDelay = 0;
  int m_retryCountdown = 0;
};

}  // namespace talvenor
