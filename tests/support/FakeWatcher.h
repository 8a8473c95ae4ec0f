#pragma once
// A watcher that hears nothing by itself: the test says what the system reported, and whether
// it could watch every folder.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "platform/Watcher.h"

namespace talvenor::test {

class FakeWatcher final : public platform::Watcher {
 public:
  bool Open(const std::string&) override {
    std::lock_guard lock(m_mutex);
    m_stop = false;
    return true;
  }
  bool OpenUnwatched(const std::string& root) override { return Open(root); }
  void WatchFolder(const std::string&) override {}
  void WatchesAdded() override {}
  StepResult Step(int timeoutMs) override {
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return m_stop || m_reported; };
    if (timeoutMs < 0) {
      m_wake.wait(lock, ready);
    } else {
      m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    }
    if (m_stop) return StepResult::Stopped;
    return std::exchange(m_reported, false) ? StepResult::Changed : StepResult::Nothing;
  }
  void RequestStop() override {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_wake.notify_all();
  }
  void Close() override { m_touched.Clear(); }
  bool PollingMode() const override { return m_polling.load(); }
  std::size_t WatchCount() const override { return 0; }

  // What a backend would tell the collector; the next Step reports a change when it says so.
  void Report(const std::function<bool(platform::TouchedFolderCollector&)>& events) {
    if (!events(m_touched)) return;
    std::lock_guard lock(m_mutex);
    m_reported = true;
    m_wake.notify_all();
  }
  // The system refused a watch for its per-user limit.
  void HitWatchLimit() { m_polling = true; }

 private:
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  bool m_reported = false;
  std::atomic<bool> m_polling{false};
};

}  // namespace talvenor::test
