#include "app/MonitorApp.h"

#include <algorithm>
#include <cctype>

namespace talvenor {

CMonitorApp::CMonitorApp(int argc, char** argv)
    : m_applicationName(ApplicationNameFrom(argc > 0 && argv[0] ? argv[0] : "talvenor")) {
  for (int i = 1; i < argc; ++i) m_args.emplace_back(argv[i]);
}

std::string CMonitorApp::ApplicationNameFrom(const std::string& argv0) {
  std::string base = argv0.substr(argv0.find_last_of('/') == std::string::npos ? 0 : argv0.find_last_of('/') + 1);
  const auto dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return base.empty() ? "talvenor" : base;
}

bool CMonitorApp::ShowSplashFor(const std::vector<std::string>& args) {
  auto lower = [](std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
  };
  return std::none_of(args.begin(), args.end(), [&](const std::string& a) {
    if (a.size() < 2 || (a[0] != '/' && a[0] != '-')) return false;
    const std::string word = lower(a.substr(1));
    return word == "embedding" || word == "automation";
  });
}

bool CMonitorApp::InitInstance(const MainWindowRunner& runMainWindow) {
  const bool enableSplash = ShowSplashFor(m_args);
  // The guard comes before any window; a second copy ends silently.
  if (!m_hMutex.Acquire(kMutexName)) {
    m_refused = true;
    return false;
  }
  SettingsStore store(m_applicationName);
  if (runMainWindow) runMainWindow(store, enableSplash, m_args);
  return false;
}

int CMonitorApp::ExitInstance() {
  m_hMutex.Release();
  return 0;
}

int CMonitorApp::Run(const MainWindowRunner& runMainWindow) {
  InitInstance(runMainWindow);
  return ExitInstance();
}

}  // namespace talvenor
