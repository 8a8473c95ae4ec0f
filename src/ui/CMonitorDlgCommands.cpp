// What the commands ask of the window: the pickers, settings, help, about, closing and saving
// its place.
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QTreeWidget>

#include "platform/TerminationSignals.h"
#include "ui/CAboutDlg.h"
#include "ui/CMonitorDlg.h"
#include "ui/CSettingsDlg.h"
#include "ui/DesktopOpen.h"
#include "ui/FileDialogs.h"
#include "ui/HelpPage.h"

namespace talvenor::ui {
namespace {

QString Decoded(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

std::string CMonitorDlg::PickFolder(const std::string& initial) { return FileDialogs::BrowseForFolder(this, initial); }

void CMonitorDlg::RunSettingsDialog(Settings& settings) {
  CSettingsDlg dialog(settings, this);
  dialog.exec();
}

void CMonitorDlg::ShowAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMonitorDlg::OpenWithDesktop(const std::string& path) { ui::OpenWithDesktop(this, Decoded(path)); }

std::string CMonitorDlg::PickFileToSave(const std::string& title) {
  return FileDialogs::GetSaveFileName(this, QString::fromStdString(title));
}

std::string CMonitorDlg::PickFileToOpen(const std::string& title) {
  return FileDialogs::GetOpenFileName(this, QString::fromStdString(title));
}

// The page in the chosen language.
std::string CMonitorDlg::HelpPage() { return Encoded(QCoreApplication::translate("talvenor", "help/main.htm")); }

std::string CMonitorDlg::InstalledHelpFolder() { return Encoded(DefaultHelpPlaces().installed); }

std::string CMonitorDlg::WriteBuiltInHelp(const std::string& page) {
  return Encoded(WriteBuiltInHelpCopy(Decoded(page), DefaultHelpPlaces().runtime));
}

void CMonitorDlg::reject() { OnCommand(command::kQuit); }

void CMonitorDlg::CloseWindow() { QDialog::done(QDialog::Rejected); }

void CMonitorDlg::QuitOnTerminationSignals() {
  const int descriptor = platform::TerminationSignalDescriptor();
  if (descriptor < 0) return;
  auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this, descriptor] {
    if (platform::TakeTerminationSignal(descriptor) == 0) return;
    // A logout or a service stop: the session's snapshot is saved on the way out. While Start
    // checks or a pass waits on a message, Quit is refused; it is tried again until it ends.
    m_commands.Quit();
    if (m_commands.IsQuitting()) return;
    auto* retry = new QTimer(this);
    connect(retry, &QTimer::timeout, this, [this, retry] {
      m_commands.Quit();
      if (m_commands.IsQuitting()) retry->stop();
    });
    retry->start(100);
  });
}

void CMonitorDlg::PutPlaceInto(Settings& settings) {
  // A window that never showed (started hidden with "/S") keeps the position it was given.
  if (m_bEverShown) {
    const QRect frame = frameGeometry();
    settings.LEFT = frame.left();
    settings.TOP = frame.top();
    settings.RIGHT = frame.left() + frame.width();
    settings.BOTTOM = frame.top() + frame.height();
  }
  settings.COLUMNX1 = m_list->columnWidth(0);
  settings.COLUMNX2 = m_list->columnWidth(1);
  settings.COLUMNX3 = m_list->columnWidth(2);
}

}  // namespace talvenor::ui
