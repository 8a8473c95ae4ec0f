// Start-up: the terminal mode when asked for, otherwise the application object runs the
// main window under its one-instance guard.
#include <QApplication>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/MonitorApp.h"
#include "ui/MainWindowEntry.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (talvenor::IsTerminalCommandLine(args)) return talvenor::RunHeadless(argc, argv);

  talvenor::CMonitorApp app(argc, argv);
  // The guard is taken before Qt starts, so a refused second copy never needs a display.
  return app.Run([&argc, argv](talvenor::SettingsStore& store, bool enableSplash,
                               const std::vector<std::string>& programArgs) {
    QApplication qtApp(argc, argv);
    talvenor::ui::RunMainWindow(store, enableSplash, programArgs);
  });
}
