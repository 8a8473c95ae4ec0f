#include "ui/MainWindowEntry.h"

#include <QApplication>

#include "app/SettingsStore.h"
#include "app/Translation.h"
#include "ui/CMonitorDlg.h"
#include "ui/CSplashWnd.h"
#include "ui/MessageBox.h"
#include "ui/TrayIcon.h"

namespace talvenor::ui {

int RunMainWindow(talvenor::SettingsStore& store, bool enableSplash, const std::vector<std::string>& args) {
  UseLanguage(LanguageFromEnvironment());
  CSplashWnd::EnableSplash(enableSplash);
  MessageBox::SetCaption(QString::fromStdString(store.ApplicationName()));
  // Hiding to the notification area or closing a dialog must not end the program; only Quit does.
  QApplication::setQuitOnLastWindowClosed(false);
  CMonitorDlg window(store, args, MakeSystemTrayIcon());
  window.QuitOnTerminationSignals();
  window.RunModal();
  return 0;
}

}  // namespace talvenor::ui
