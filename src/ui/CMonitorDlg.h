#pragma once
// The main window on Linux: the two folder fields, the change list and the buttons around them,
// drawn with Qt. What the commands do is MonitorCommands'; the window draws and forwards, and
// keeps the program reachable from the notification area while hidden.
#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandIds.h"
#include "app/MainWindowFace.h"
#include "app/MonitorCommands.h"
#include "core/AppPaths.h"
#include "core/InstanceStatus.h"
#include "core/Settings.h"

class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace talvenor {
class MonitorSession;
class SettingsStore;
}  // namespace talvenor

namespace talvenor::ui {

class CProgressWnd;
class TrayIcon;

class CMonitorDlg : public QDialog, public MainWindowFace {
  Q_OBJECT

 public:
  // Commands that are not buttons: the about item and the three items of the tray menu.
  static constexpr int kAboutCommand = command::kAbout;
  static constexpr int kTrayStart = command::kTrayStart;
  static constexpr int kTrayStop = command::kTrayStop;
  static constexpr int kTrayQuit = command::kTrayQuit;

  // Loads the settings. args: the command line after the program name.
  CMonitorDlg(SettingsStore& store, std::vector<std::string> args, std::unique_ptr<TrayIcon> tray);
  ~CMonitorDlg() override;

  // Paths, list columns, position, "/S" and the splash, then the window shows itself unless a
  // start has already hidden it.
  void OnInitDialog();
  // Initialises and runs until Quit.
  int RunModal();

  // A command by id, as a button, a key or a menu item gives it.
  void OnCommand(int id) { m_commands.OnCommand(id); }
  // The change list's menu: the versions of the row's file, or of any file the user picks.
  void OnListContextMenu(const QPoint& at);
  void OpenVersions(const std::string& source);
  void OnVersionsOfAFile();
  // SIGINT, SIGTERM and SIGHUP end the program as Quit does, once Quit is possible.
  void QuitOnTerminationSignals();
  void OnTrayNotify(int iconId, int mouseMessage) { m_commands.OnTrayNotify(iconId, mouseMessage); }

  static const char* ToolTipText(int id);

  const Settings& CurrentSettings() const { return m_settings; }
  const AppPaths& Paths() const { return m_commands.Paths(); }
  MonitorSession& Session() { return m_commands.Session(); }
  CProgressWnd* Progress() const { return m_progress.get(); }
  bool m_bAutoStart = false;

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
  void StatusChanged(const InstanceStatus& status) override;

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
  bool TrayIconShown() const override;
  void HideWindow() override;
  void MinimiseWindow() override;
  void ShowNormal() override;
  void ShowBalloon(const std::string& text) override;
  void ShowWithoutWaiting(const std::string& text) override;
  int ShowTrayMenu(bool startEnabled, bool stopEnabled) override;
  std::string HelpPage() override;
  std::string InstalledHelpFolder() override;
  std::string WriteBuiltInHelp(const std::string& page) override;

  // Also told every status the session gives (start-up writes the status file with it).
  void SetStatusSink(std::function<void(const InstanceStatus&)> sink) { m_statusSink = std::move(sink); }
  // The tray icon's tooltip for a status.
  static QString ToolTipFor(const InstanceStatus& status);

 public slots:
  void reject() override;  // Esc and the title-bar close quit, as the Quit button does

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildControls();
  void PlaceAtSavedPosition();
  void SetUpColumns();
  QWidget* Control(int id) const;
  QPushButton* Button(int id) const;

  SettingsStore& m_store;
  std::vector<std::string> m_args;
  // DIR1 and DIR2 are the watched and the backup folder texts of the fields.
  Settings m_settings;
  std::unique_ptr<TrayIcon> m_tray;
  MonitorCommands m_commands{*this, m_settings, m_store};
  std::unique_ptr<CProgressWnd> m_progress;
  QTimer m_timer;
  QTimer m_saveTimer;
  QTreeWidget* m_list = nullptr;
  QListWidget* m_listBox = nullptr;
  QLineEdit* m_editWatchDir = nullptr;
  QLineEdit* m_editBackupDir = nullptr;
  QIcon m_hIcon;
  bool m_bInitialising = false;
  bool m_bHiddenByInit = false;
  bool m_bEverShown = false;
  std::function<void(const InstanceStatus&)> m_statusSink;
};

}  // namespace talvenor::ui
