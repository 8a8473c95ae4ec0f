#include "detect/WatcherThread.h"

#include <utility>

#include "platform/SystemWatcher.h"

namespace talvenor {

using StepResult = platform::Watcher::StepResult;

WatcherThread::WatcherThread() : m_watcher(std::make_unique<platform::SystemWatcher>()) {}

bool WatcherThread::Start(const std::string& folder, std::atomic<int>& flag) {
  Stop();
  m_watcher->Touched().RaiseOnChange(&flag);
  if (!m_watcher->Open(folder)) return false;
  m_thread = std::thread([this] { Run(); });
  return true;
}

bool WatcherThread::Prepare(const std::string& folder, std::atomic<int>& flag) {
  Stop();
  m_watcher->Touched().RaiseOnChange(&flag);
  m_prepared = m_watcher->OpenUnwatched(folder);
  return m_prepared;
}

void WatcherThread::Begin() {
  if (!std::exchange(m_prepared, false)) return;
  m_watcher->WatchesAdded();
  m_thread = std::thread([this] { Run(); });
}

void WatcherThread::Run() {
  for (;;) {
    switch (m_watcher->Step(-1)) {
      case StepResult::Changed:
        m_watcher->Touched().RaiseFlag();
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
  m_prepared = false;
  if (m_thread.joinable()) {
    m_watcher->RequestStop();
    m_thread.join();
  }
  m_watcher->Close();
}

}  // namespace talvenor
