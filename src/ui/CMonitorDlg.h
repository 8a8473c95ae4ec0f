#pragma once
// The main window: the two folder fields, the change list and the commands around them. It is
// the engine's user interface (UiPort) and the host of the monitoring session, and it keeps
// the program reachable from the notification area while hidden.
#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppPaths.h"
#include "core/InstanceStatus.h"
#include "core/Settings.h"
#include "core/UiPort.h"
#include "detect/SessionHost.h"

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

class CMonitorDlg : public QDialog, public UiPort, public SessionHost {
  Q_OBJECT

 public:
  // Commands that are not buttons: the about item and the three items of the tray menu.
  static constexpr int kAboutCommand = 16;
  static constexpr int kTrayStart = 132;
  static constexpr int kTrayStop = 32773;
  static constexpr int kTrayQuit = 32774;

  // Loads the settings. args: the command line after the program name.
  CMonitorDlg(SettingsStore& store, std::vector<std::string> args, std::unique_ptr<TrayIcon> tray);
  ~CMonitorDlg() override;

  // Paths, list columns, position, "/S" and the splash, then the window shows itself unless a
  // start has already hidden it.
  void OnInitDialog();
  // Initialises and runs until Quit.
  int RunModal();

  // A command by id, as a button, a key or a menu item gives it.
  void OnCommand(int id);

  void OnBrowseWatchDir();
  void OnBrowseBackupDir();
  // The folder picker until the pair is accepted or the picker cancelled.
  std::string PickFolderUntilAccepted(const std::string& initial, bool watched);
  void OnDetailedSettings();
  void OnHelp();
  void OnAbout();
  void OnShowLog();
  void OnListDblClk();
  void OnWriteTest();
  void OnReadTest();
  void OnReadSnapshotTest();
  void OnQuit();
  // The Quit that waited for a pass; tells how many changed files are left for the next one.
  void QuitAfterPass();
  // The change list's menu: the versions of the row's file, or of any file the user picks.
  void OnListContextMenu(const QPoint& at);
  void OpenVersions(const std::string& source);
  void OnVersionsOfAFile();
  // SIGINT, SIGTERM and SIGHUP end the program as Quit does, once Quit is possible.
  void QuitOnTerminationSignals();
  void OnTrayNotify(int iconId, int mouseMessage);
  void ShowTrayMenu();
  void SaveSettings();

  static const char* ToolTipText(int id);

  const Settings& CurrentSettings() const { return m_settings; }
  const AppPaths& Paths() const { return m_paths; }
  MonitorSession& Session() { return *m_session; }
  CProgressWnd* Progress() const { return m_progress.get(); }
  bool m_bAutoStart = false;

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
  void LetInputThrough() override;
  [[noreturn]] void Terminate(int status) override;

  // SessionHost
  void StartTimer(int milliseconds) override;
  void KillTimer() override;
  void StartSaveTimer(int milliseconds) override;
  void KillSaveTimer() override;
  void PullFolderTexts() override;
  void SetRunningControls(bool running) override;
  void HideToTray() override;
  void StatusChanged(const InstanceStatus& status) override;

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
  void CheckAutoStart();
  void PushFolderTexts();
  void PlaceAtSavedPosition();
  void SetUpColumns();
  std::string ListSnapshot();
  QPushButton* Button(int id) const;

  SettingsStore& m_store;
  std::vector<std::string> m_args;
  // DIR1 and DIR2 are the watched and the backup folder texts of the fields.
  Settings m_settings;
  AppPaths m_paths;
  std::unique_ptr<TrayIcon> m_tray;
  std::unique_ptr<MonitorSession> m_session;
  std::unique_ptr<CProgressWnd> m_progress;
  QTimer m_timer;
  QTimer m_saveTimer;
  QTreeWidget* m_list = nullptr;
  QListWidget* m_listBox = nullptr;
  QLineEdit* m_editWatchDir = nullptr;
  QLineEdit* m_editBackupDir = nullptr;
  QIcon m_hIcon;
  int m_nInsertRow = 0;
  bool m_bInitialising = false;
  bool m_bHiddenByInit = false;
  bool m_bEverShown = false;
  bool m_bQuitting = false;
  // Quit was chosen while a pass worked: it follows once the file in progress is copied.
  bool m_bQuitAfterPass = false;
  std::function<void(const InstanceStatus&)> m_statusSink;
};

}  // namespace talvenor::ui
