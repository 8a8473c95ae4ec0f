#pragma once
// The main window's smaller windows: the about box (100), the detailed settings (135), the
// folder picker and the splash picture (147).
#include <windows.h>

#include <initializer_list>
#include <string>

#include "core/Settings.h"

namespace talvenor::win32 {

void RunAboutBox(LANGID language, HWND owner);
// OK stores the four choices into settings; Cancel changes nothing.
void RunSettingsDialog(Settings& settings, LANGID language, HWND owner);
// False when the user cancels.
bool PickFolder(HWND owner, const std::string& initial, std::string& chosen);
// Each control's tooltip: string IDS_TIP + its id, when the set has one.
void AddToolTips(HWND dialog, std::initializer_list<int> ids, LANGID language);
// Shows the splash over the owner for the given time, or until a key or a click.
void ShowSplash(LANGID language, HWND owner, UINT milliseconds);

}  // namespace talvenor::win32
