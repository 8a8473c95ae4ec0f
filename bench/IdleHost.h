#pragma once
// A session host for benchmarks: no timers, no window; the benchmark drives the ticks itself.
#include "detect/SessionHost.h"

namespace talvenor::bench {

class IdleHost : public SessionHost {
 public:
  void StartTimer(int) override {}
  void KillTimer() override {}
  void StartSaveTimer(int) override {}
  void KillSaveTimer() override {}
  void PullFolderTexts() override {}
  void SetRunningControls(bool) override {}
  void HideToTray() override {}
};

}  // namespace talvenor::bench
