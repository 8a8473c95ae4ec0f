#pragma once
// Runs the main window for the life of the program.
#include <string>
#include <vector>

namespace talvenor {
class SettingsStore;
}

namespace talvenor::ui {

// The Qt application object must exist and the instance guard be taken. args: the command line
// after the program name. Returns when the window has ended (after Quit).
int RunMainWindow(talvenor::SettingsStore& store, bool enableSplash, const std::vector<std::string>& args);

// After the instance guard refused this start: when the copy that runs has no window to show
// (the headless mode, the user service), says so and how to stop it, on standard error and,
// with a desktop to show it on, in a message box. A window that runs already is left to be
// found behind its icon: nothing is said.
void TellWhyNoWindow(int& argc, char** argv);

}  // namespace talvenor::ui
