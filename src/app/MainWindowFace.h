#pragma once
// What the main window's behaviour (MonitorCommands) asks of a face that draws it: the Qt
// window on Linux, the native one on Windows. A face only draws and forwards; every rule
// about what a command does lives in MonitorCommands.
#include <string>

#include "core/Settings.h"
#include "core/UiPort.h"
#include "detect/SessionHost.h"

namespace talvenor {

class MainWindowFace : public UiPort, public SessionHost {
 public:
  // The folder picker opened at initial; empty when the user cancels.
  virtual std::string PickFolder(const std::string& initial) = 0;
  // OK stores the choices into settings; Cancel changes nothing.
  virtual void RunSettingsDialog(Settings& settings) = 0;
  virtual void ShowAbout() = 0;
  // An absolute local file, opened by the desktop's program for it.
  virtual void OpenWithDesktop(const std::string& path) = 0;
  // The file dialogs of the test commands, titled in the language in use; empty on cancel.
  virtual std::string PickFileToSave(const std::string& title) = 0;
  virtual std::string PickFileToOpen(const std::string& title) = 0;

  // Controls by their command ids (command::k*).
  virtual void EnableControl(int id, bool enabled) = 0;
  virtual void FocusControl(int id) = 0;
  // Settings::DIR1 and DIR2 into the folder fields (PullFolderTexts takes them back).
  virtual void PushFolderTexts() = 0;
  // The window's place (once it has been shown) and the change list's column widths.
  virtual void PutPlaceInto(Settings& settings) = 0;
  // Ends the window's modal run.
  virtual void CloseWindow() = 0;

  // The notification area. AddTrayIcon shows the icon, once however often it is called;
  // false when the desktop has no notification area.
  virtual bool AddTrayIcon() = 0;
  virtual bool TrayIconShown() const = 0;
  virtual void HideWindow() = 0;
  virtual void MinimiseWindow() = 0;
  // Shows the window normally and in front (from the icon).
  virtual void ShowNormal() = 0;
  // A balloon beside the icon that goes away by itself.
  virtual void ShowBalloon(const std::string& text) = 0;
  // A box that returns at once and stays until the user closes it.
  virtual void ShowWithoutWaiting(const std::string& text) = 0;
  // The icon's menu (Start, Stop, Quit) at the pointer; the chosen command id, 0 for none.
  virtual int ShowTrayMenu(bool startEnabled, bool stopEnabled) = 0;

  // Help: the page (relative, in the language in use), the folder of the installed copy
  // (empty when none) and a copy built into the program, written where the desktop can open
  // it (empty when there is none).
  virtual std::string HelpPage() = 0;
  virtual std::string InstalledHelpFolder() = 0;
  virtual std::string WriteBuiltInHelp(const std::string& page) = 0;
};

}  // namespace talvenor
