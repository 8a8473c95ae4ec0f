#include "ui/win32/WindowedProgram.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "app/EngineText.h"
#include "app/MonitorApp.h"
#include "app/SettingsStore.h"
#include "platform/InstanceLock.h"
#include "ui/win32/MonitorWindow.h"
#include "ui/win32/ResourceSet.h"

namespace talvenor::win32 {

int RunWindowed(const std::vector<std::string>& words) {
  // Started from the desktop, the console was made for this process alone: let it go, so only
  // the window shows. Started from a console, that console stays with its shell.
  DWORD processes[2];
  if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();

  // A second copy ends silently, as the first one keeps its window and icon.
  platform::InstanceLock guard;
  if (!guard.Acquire(CMonitorApp::kMutexName)) return 0;

  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const LANGID language = UserResourceLanguage();
  UseLanguage(PRIMARYLANGID(language) == LANG_JAPANESE ? Language::Japanese : Language::English);

  SettingsStore store(CMonitorApp::ApplicationNameFrom(words.empty() ? "talvenor" : words.front()));
  std::vector<std::string> args(words.begin() + (words.empty() ? 0 : 1), words.end());
  MonitorWindow window(store, std::move(args), language);
  window.RunModal();
  return 0;
}

}  // namespace talvenor::win32
