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

}  // namespace talvenor::ui
