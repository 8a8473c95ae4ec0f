// Shows one of the smaller windows on its own, in the user's language, for screenshots:
//   talvenor_show_dialog about|settings
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cwchar>

#include "core/Settings.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/ResourceSet.h"

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  const LANGID language = talvenor::win32::UserResourceLanguage();
  if (argc == 2 && std::wcscmp(argv[1], L"about") == 0) {
    talvenor::win32::RunAboutBox(language, nullptr);
  } else if (argc == 2 && std::wcscmp(argv[1], L"settings") == 0) {
    talvenor::Settings settings;
    talvenor::win32::RunSettingsDialog(settings, language, nullptr);
  } else {
    return 2;
  }
  return 0;
}
