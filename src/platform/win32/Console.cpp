#include "platform/Console.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "platform/win32/WinText.h"

namespace talvenor::platform {

std::vector<std::string> ProgramArguments() {
  std::vector<std::string> words;
  int count = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  for (int i = 0; argv != nullptr && i < count; ++i) words.push_back(win32::Utf8(argv[i]));
  ::LocalFree(argv);
  // The program's own name decides its settings key: the module's file name, however started.
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (n == 0) break;
    if (n < module.size()) {
      module.resize(n);
      const std::string path = win32::Utf8(module);
      const std::string name = path.substr(path.find_last_of("\\/") + 1);
      if (words.empty()) words.push_back(name);
      words.front() = name;
      break;
    }
    module.resize(module.size() * 2);
  }
  if (words.empty()) words.push_back("talvenor.exe");
  return words;
}

void UseUtf8Console() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
}

}  // namespace talvenor::platform
