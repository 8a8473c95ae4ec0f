// The main window's own commands: the folder pickers, settings, help, about, Close and Quit.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <cstdio>

#include "app/SettingsStore.h"
#include "app/Translation.h"
#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "detect/SnapshotFile.h"
#include "platform/TerminationSignals.h"
#include "ui/CAboutDlg.h"
#include "ui/CMonitorDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/DesktopOpen.h"
#include "ui/FileDialogs.h"
#include "ui/HelpPage.h"
#include "ui/MessageBox.h"

namespace talvenor::ui {
namespace {

// The root stands where the other system offers its drive root.
constexpr const char* kDefaultFolder = "/";

}  // namespace

std::string CMonitorDlg::PickFolderUntilAccepted(const std::string& initial, bool watched) {
  // A refused pair opens the picker again; cancelling keeps what was there.
  for (;;) {
    const std::string chosen = FileDialogs::BrowseForFolder(this, initial);
    if (chosen.empty()) return initial;
    const bool accepted = watched ? m_session->Backup().CheckFolderPair(chosen, m_settings.DIR2)
                                  : m_session->Backup().CheckFolderPair(m_settings.DIR1, chosen);
    if (accepted) return chosen;
  }
}

void CMonitorDlg::OnBrowseWatchDir() {
  PullFolderTexts();
  const std::string initial = m_settings.DIR1.empty() ? kDefaultFolder : m_settings.DIR1;
  const std::string result = PickFolderUntilAccepted(initial, true);
  // Another watched folder starts from an empty snapshot.
  if (result != initial) DeleteSnapshotFile(m_paths.g_snapshotPath);
  if (!result.empty()) m_settings.DIR1 = result;
  PushFolderTexts();
}

void CMonitorDlg::OnBrowseBackupDir() {
  PullFolderTexts();
  const std::string initial = m_settings.DIR2.empty() ? kDefaultFolder : m_settings.DIR2;
  const std::string result = PickFolderUntilAccepted(initial, false);
  if (!result.empty()) m_settings.DIR2 = result;
  PushFolderTexts();
}

void CMonitorDlg::OnDetailedSettings() {
  const int previousLogSize = m_settings.LOGSZ;
  CSettingsDlg dialog(m_settings, this);
  dialog.exec();
  if (m_settings.LOGSZ != previousLogSize) m_session->Log().CopyLogForViewing(m_paths.g_logPath);
}

void CMonitorDlg::OnHelp() {
  // Found at the time of the click; the page in the chosen language.
  const QString page = FindHelpPage(QCoreApplication::translate("talvenor", "help/main.htm"));
  if (!page.isEmpty()) OpenWithDesktop(this, page);
}

void CMonitorDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMonitorDlg::reject() { OnCommand(2); }

void CMonitorDlg::OnQuit() {
  // While Start is checking, its progress window owns the run: Quit is refused quietly.
  if (m_bQuitting || (m_session && m_session->IsStarting())) return;
  // Quitting under a pass would close the log and stop the watcher under it: the pass ends
  // after the file in progress, and Quit follows.
  if (m_session && m_session->IsPassRunning()) {
    m_bQuitAfterPass = true;
    m_session->EndPassEarly();
    return;
  }
  m_bQuitting = true;
  if (m_session && m_session->Log().IsOpen()) m_session->Log().Close();
  SaveSettings();
  if (m_session) m_session->StopWatcher();
  KillTimer();
  QDialog::done(QDialog::Rejected);
}

void CMonitorDlg::QuitAfterPass() {
  m_bQuitAfterPass = false;
  // No further pass may start behind the message below.
  KillTimer();
  if (const int left = m_session->Detector().LastLeftCount(); left > 0) {
    const std::string text = TranslateEngineText(msg::Format(msg::kFilesLeftForNextPass, {std::to_string(left)}));
    std::fprintf(stderr, "talvenor: %s\n", text.c_str());
    std::fflush(stderr);
    MessageBox::Show(this, text);
  }
  OnQuit();
}

void CMonitorDlg::QuitOnTerminationSignals() {
  const int descriptor = platform::TerminationSignalDescriptor();
  if (descriptor < 0) return;
  auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, descriptor] {
    if (platform::TakeTerminationSignal(descriptor) == 0) return;
    // A logout or a service stop: the session's snapshot is saved on the way out. While Start
    // checks or a pass waits on a message, Quit is refused; it is tried again until it ends.
    OnQuit();
    if (m_bQuitting) return;
    auto* retry = new QTimer(this);
    connect(retry, &QTimer::timeout, this, [this, retry] {
      OnQuit();
      if (m_bQuitting) retry->stop();
    });
    retry->start(100);
  });
}

void CMonitorDlg::SaveSettings() {
  PullFolderTexts();
  // A window that never showed (started hidden with "/S") keeps the position it was given.
  if (m_bEverShown) {
    const QRect frame = frameGeometry();
    m_settings.LEFT = frame.left();
    m_settings.TOP = frame.top();
    m_settings.RIGHT = frame.left() + frame.width();
    m_settings.BOTTOM = frame.top() + frame.height();
  }
  m_settings.COLUMNX1 = m_list->columnWidth(0);
  m_settings.COLUMNX2 = m_list->columnWidth(1);
  m_settings.COLUMNX3 = m_list->columnWidth(2);
  m_store.Save(m_settings);
}

void CMonitorDlg::CheckAutoStart() {
  // Only what follows the program name is searched, so the name itself never matches.
  std::string commandLine;
  for (const std::string& arg : m_args) commandLine += " " + arg;
  m_bAutoStart = commandLine.find("/S") != std::string::npos;
}

}  // namespace talvenor::ui
