#include "ui/MainWindowEntry.h"

#include <QApplication>
#include <iostream>

#include "app/MonitorApp.h"
#include "app/SettingsStore.h"
#include "app/StatusFile.h"
#include "app/Translation.h"
#include "ui/CMonitorDlg.h"
#include "ui/CSplashWnd.h"
#include "ui/MessageBox.h"
#include "ui/TrayIcon.h"

namespace talvenor::ui {

void TellWhyNoWindow(int& argc, char** argv) {
  const RunningInstance running = FindRunningInstance();
  if (running.pid <= 0 || !running.status || running.status->mode != "headless") return;
  const QString pid = QString::number(running.pid);
  std::cerr << "talvenor: the window cannot open while Talvenor runs without a window (process " << running.pid
            << "); stop it first: systemctl --user stop talvenor.service, or kill " << running.pid << "\n";
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    return;
  QApplication qtApp(argc, argv);
  UseLanguage(LanguageFromEnvironment());
  MessageBox::SetCaption(QString::fromStdString(CMonitorApp::ApplicationNameFrom(argc > 0 ? argv[0] : "talvenor")));
  const QString text = QCoreApplication::translate(
      "talvenor",
      "Talvenor はウィンドウなしで動いているため(プロセス %1)、ウィンドウを開けません。先に止めてください:\n"
      "systemctl --user stop talvenor.service\n(ユーザーサービスでないときは kill %1)");
  MessageBox::Show(nullptr, text.arg(pid).toStdString(), MessageIcon::Warning);
}

int RunMainWindow(talvenor::SettingsStore& store, bool enableSplash, const std::vector<std::string>& args) {
  UseLanguage(LanguageFromEnvironment());
  CSplashWnd::EnableSplash(enableSplash);
  MessageBox::SetCaption(QString::fromStdString(store.ApplicationName()));
  // Hiding to the notification area or closing a dialog must not end the program; only Quit does.
  QApplication::setQuitOnLastWindowClosed(false);
  CMonitorDlg window(store, args, MakeSystemTrayIcon());
  // `talvenor --status` reads what this window does; the file goes with it.
  window.SetStatusSink([](const InstanceStatus& status) { WriteStatusFile(status, "window"); });
  window.QuitOnTerminationSignals();
  window.RunModal();
  RemoveStatusFile();
  return 0;
}

}  // namespace talvenor::ui
