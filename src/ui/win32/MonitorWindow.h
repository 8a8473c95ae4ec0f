#pragma once
// The Windows main window: dialog template 102, drawn by the system from the resources. Like
// the Linux window it only draws and forwards: what its commands, the tray menu and the timer
// do is MonitorCommands', the same for both.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CommandIds.h"
#include "app/MainWindowFace.h"
#include "app/MonitorCommands.h"
#include "app/SettingsStore.h"
#include "core/Settings.h"

namespace talvenor::win32 {

class ProgressWindow;

class MonitorWindow final : public MainWindowFace {
 public:
  // The tray icon's callback message, and the system menu's About item.
  static constexpr UINT kTrayMessage = WM_APP + 100;
  static constexpr UINT kAboutCommand = command::kAbout;

  MonitorWindow(SettingsStore& store, std::vector<std::string> args, LANGID language);
  ~MonitorWindow() override;

  // Runs the window until Quit; the dialog's result.
  INT_PTR RunModal();

  // UiPort: texts arrive translated; a notice from elsewhere takes the engine's way.
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, MessageIcon icon) override;
  void ShowNotice(const std::string& text) override { m_commands.EngineUi().ShowNotice(text); }
  void InsertRow(int index, const std::string& name, const std::string& path, const std::string& destination) override;
  void DeleteRow(int index) override;
  int RowCount() const override;
  void ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) override;
  void ProgressStep() override;
  void ProgressPump(bool cancelOnEsc) override;
  void ProgressReset() override;
  bool ProgressCancelRequested() const override;
  void ProgressClose() override;
  void LetInputThrough() override;
  [[noreturn]] void Terminate(int status) override;

  // SessionHost
  void StartTimer(int milliseconds) override;
  void KillTimer() override;
  void StartSaveTimer(int milliseconds) override;
  void KillSaveTimer() override;
  void PullFolderTexts() override;
  void SetRunningControls(bool running) override { m_commands.SetRunningControls(running); }
  void HideToTray() override { m_commands.HideToTray(); }

  // MainWindowFace
  std::string PickFolder(const std::string& initial) override;
  void RunSettingsDialog(Settings& settings) override;
  void ShowAbout() override;
  void OpenWithDesktop(const std::string& path) override;
  std::string PickFileToSave(const std::string& title) override;
  std::string PickFileToOpen(const std::string& title) override;
  void EnableControl(int id, bool enabled) override;
  void FocusControl(int id) override;
  void PushFolderTexts() override;
  void PutPlaceInto(Settings& settings) override;
  void CloseWindow() override;
  bool AddTrayIcon() override;
  bool TrayIconShown() const override { return m_bTrayIcon; }
  void HideWindow() override;
  void MinimiseWindow() override;
  void ShowNormal() override;
  void ShowBalloon(const std::string& text) override;
  void ShowWithoutWaiting(const std::string& text) override;
  int ShowTrayMenu(bool startEnabled, bool stopEnabled) override;
  std::string HelpPage() override;
  std::string InstalledHelpFolder() override;
  std::string WriteBuiltInHelp(const std::string& page) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void AddToolTips();
  void SetUpColumns();
  std::string PickFile(const std::string& title, bool save);
  std::wstring Text(int id) const;

  SettingsStore& m_store;
  std::vector<std::string> m_args;
  LANGID m_language;
  Settings m_settings;
  MonitorCommands m_commands{*this, m_settings, m_store};
  std::unique_ptr<ProgressWindow> m_progress;
  HWND m_hWnd = nullptr;
  HWND m_list = nullptr;
  HICON m_hIcon = nullptr;
  NOTIFYICONDATAW m_nid{};
  bool m_bTrayIcon = false;
  bool m_bInitialising = false;
  bool m_bHiddenByInit = false;
  bool m_bEverShown = false;
};

}  // namespace talvenor::win32
