#pragma once
// The application object: one instance per user, the settings' home, and the main window's
// modal run for the whole life of the program.
#include <functional>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "platform/InstanceLock.h"

namespace talvenor {

class CMonitorApp {
 public:
  // Runs the main window modally and returns when it has ended.
  using MainWindowRunner =
      std::function<void(SettingsStore& store, bool enableSplash, const std::vector<std::string>& args)>;

  static constexpr const char* kMutexName = "TALVENOR";

  CMonitorApp(int argc, char** argv);

  // InitInstance, then ExitInstance; the process exit status.
  int Run(const MainWindowRunner& runMainWindow);

  // Always false: the program has no message loop of its own after the main window.
  bool InitInstance(const MainWindowRunner& runMainWindow);
  int ExitInstance();

  const std::string& ApplicationName() const { return m_applicationName; }
  const std::vector<std::string>& Arguments() const { return m_args; }
  bool RefusedAsSecondInstance() const { return m_refused; }

  // The executable's base name without its extension.
  static std::string ApplicationNameFrom(const std::string& argv0);
  // False when "Embedding" or "Automation" follows "/" or "-" in any letter case.
  static bool ShowSplashFor(const std::vector<std::string>& args);

 private:
  std::string m_applicationName;
  std::vector<std::string> m_args;  // after the program name
  platform::InstanceLock m_hMutex;
  bool m_refused = false;
};

}  // namespace talvenor
