#pragma once
// The icon, the splash picture and the help page are compiled into the program.
namespace talvenor::ui {

// A static library's resources are registered only when asked for by name; every window that
// shows one calls this first.
void EnsureResources();

}  // namespace talvenor::ui
