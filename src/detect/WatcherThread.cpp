#include "detect/WatcherThread.h"

namespace talvenor {

using StepResult = platform::InotifyWatcher::StepResult;

bool WatcherThread::Start(const std::string& folder, std::atomic<int>& flag) {
  Stop();
  m_watcher.RaiseOnChange(&flag);
  if (!m_watcher.Open(folder)) return false;
  m_thread = std::thread([this] { Run(); });
  return true;
}

void WatcherThread::Run() {
  for (;;) {
    switch (m_watcher.Step(-1)) {
      case StepResult::Changed:
        m_watcher.RaiseFlag();
        break;
      case StepResult::Nothing:
        break;
      case StepResult::Stopped:
      case StepResult::Failed:
        return;
    }
  }
}

void WatcherThread::Stop() {
  if (m_thread.joinable()) {
    m_watcher.RequestStop();
    m_thread.join();
  }
  m_watcher.Close();
}

}  // namespace talvenor
