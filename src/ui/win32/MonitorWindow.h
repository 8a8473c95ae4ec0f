#pragma once
// The Windows main window: dialog template 102, drawn by the system from the resources. It shows
// what the monitoring session tells it and forwards the buttons, the tray menu and the timer to
// the same session the Linux window drives.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "core/AppPaths.h"
#include "core/Settings.h"
#include "core/UiPort.h"
#include "detect/SessionHost.h"

namespace talvenor {
class MonitorSession;
}

namespace talvenor::win32 {

class ProgressWindow;

class MonitorWindow final : public UiPort, public SessionHost {
 public:
  // The tray icon's callback message and id, and the system menu's About item.
  static constexpr UINT kTrayMessage = WM_APP + 100;
  static constexpr UINT kTrayIconId = 1;
  static constexpr UINT kAboutCommand = 16;

  MonitorWindow(SettingsStore& store, std::vector<std::string> args, LANGID language);
  ~MonitorWindow() override;

  // Runs the window until Quit; the dialog's result.
  INT_PTR RunModal();

  // UiPort
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, MessageIcon icon) override;
  void ShowNotice(const std::string& text) override;
  void InsertRow(int index, const std::string& name, const std::string& path, const std::string& destination) override;
  void DeleteRow(int index) override;
  int RowCount() const override;
  void ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) override;
  void ProgressStep() override;
  void ProgressPump(bool cancelOnEsc) override;
  void ProgressReset() override;
  bool ProgressCancelRequested() const override;
  void ProgressClose() override;
  [[noreturn]] void Terminate(int status) override;

  // SessionHost
  void StartTimer(int milliseconds) override;
  void KillTimer() override;
  void StartSaveTimer(int milliseconds) override;
  void KillSaveTimer() override;
  void PullFolderTexts() override;
  void SetRunningControls(bool running) override;
  void HideToTray() override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog();
  void OnCommand(int id);
  void OnQuit();
  void OnTrayNotify(UINT iconId, UINT mouseMessage);
  void ShowTrayMenu();
  void OnBrowse(bool watched);
  void OnDetailedSettings();
  void AddToolTips();
  void SetUpColumns();
  void SaveSettings();
  void PushFolderTexts();
  std::wstring Text(int id) const;

  SettingsStore& m_store;
  std::vector<std::string> m_args;
  LANGID m_language;
  Settings m_settings;
  AppPaths m_paths;
  std::unique_ptr<MonitorSession> m_session;
  std::unique_ptr<ProgressWindow> m_progress;
  HWND m_hWnd = nullptr;
  HWND m_list = nullptr;
  HICON m_hIcon = nullptr;
  NOTIFYICONDATAW m_nid{};
  bool m_bTrayIcon = false;
  bool m_bQuitting = false;
  bool m_bInitialising = false;
  bool m_bHiddenByInit = false;
  bool m_bEverShown = false;
};

}  // namespace talvenor::win32
