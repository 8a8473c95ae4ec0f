#include "detect/WatcherThread.h"

namespace talvenor {

using StepResult = platform::InotifyWatcher::StepResult;

bool WatcherThread::Start(const std::string& folder, std::atomic<int>& flag) {
  Stop();
  if (!m_watcher.Open(folder)) return false;
  m_thread = std::thread([this, &flag] { Run(flag); });
  return true;
}

void WatcherThread::Run(std::atomic<int>& flag) {
  for (;;) {
    switch (m_watcher.Step(-1)) {
      case StepResult::Changed:
        flag.store(1);
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
