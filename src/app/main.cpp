// Start-up: the command line is read before Qt starts, so a mistyped option never needs a
// display; then the terminal mode, or the application object runs the main window under its
// one-instance guard.
#include <QApplication>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/MonitorApp.h"
#include "app/StateFolder.h"
#include "ui/MainWindowEntry.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  talvenor::CommandLine command;
  std::string error;
  if (!talvenor::ParseCommandLine(args, command, error)) {
    std::cerr << "talvenor: " << error << "\n" << talvenor::UsageText();
    return talvenor::kExitUsage;
  }
  if (command.Terminal()) return talvenor::RunHeadless(argc, argv);
  if (!talvenor::EnterStateFolder(command)) return talvenor::kExitLogUnusable;

  // The windows see only their own words: a state folder such as "/Srv" must not read as "/S".
  std::string program = argc > 0 && argv[0] ? argv[0] : "talvenor";
  std::vector<char*> windowArgv{program.data()};
  for (std::string& word : command.windowArgs) windowArgv.push_back(word.data());
  windowArgv.push_back(nullptr);
  int windowArgc = static_cast<int>(windowArgv.size()) - 1;

  talvenor::CMonitorApp app(windowArgc, windowArgv.data());
  // The guard is taken before Qt starts, so a refused second copy needs a display only to say
  // that the copy running has no window.
  const int status = app.Run([&windowArgc, &windowArgv](talvenor::SettingsStore& store, bool enableSplash,
                                                        const std::vector<std::string>& programArgs) {
    QApplication qtApp(windowArgc, windowArgv.data());
    talvenor::ui::RunMainWindow(store, enableSplash, programArgs);
  });
  if (app.RefusedAsSecondInstance()) talvenor::ui::TellWhyNoWindow(windowArgc, windowArgv.data());
  return status;
}
