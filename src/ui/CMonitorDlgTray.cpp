// Hiding to the notification area and the icon's menu.
#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QMenu>

#include "ui/CMonitorDlg.h"
#include "ui/MessageBox.h"
#include "ui/TrayIcon.h"
#include "ui/UiText.h"

namespace talvenor::ui {

bool CMonitorDlg::AddTrayIcon() {
  if (!m_tray || !m_tray->IsAvailable()) return false;
  m_tray->Add();
  return true;
}

bool CMonitorDlg::TrayIconShown() const { return m_tray && m_tray->IsShown(); }

void CMonitorDlg::HideWindow() {
  hide();
  if (m_bInitialising) m_bHiddenByInit = true;
}

void CMonitorDlg::MinimiseWindow() {
  showMinimized();
  if (m_bInitialising) m_bHiddenByInit = true;
}

void CMonitorDlg::ShowNormal() {
  showNormal();
  raise();
  activateWindow();
}

void CMonitorDlg::ShowBalloon(const std::string& text) {
  m_tray->ShowBalloon(MessageBox::Caption().toStdString(), text);
}

void CMonitorDlg::ShowWithoutWaiting(const std::string& text) {
  MessageBox::ShowWithoutWaiting(this, text, MessageIcon::Warning);
}

QString CMonitorDlg::ToolTipFor(const InstanceStatus& status) {
  const auto line = [](const char* text) { return QCoreApplication::translate("talvenor", text); };
  const auto path = [](const std::string& folder) { return QFile::decodeName(QByteArray::fromStdString(folder)); };
  QStringList lines;
  lines << (status.monitoring ? line(QT_TRANSLATE_NOOP("talvenor", "Talvenor: 監視中"))
                              : line(QT_TRANSLATE_NOOP("talvenor", "Talvenor: 停止中")));
  lines << line(QT_TRANSLATE_NOOP("talvenor", "監視フォルダ:")) + QStringLiteral(" ") + path(status.watch);
  lines << line(QT_TRANSLATE_NOOP("talvenor", "バックアップ先")) + QStringLiteral(": ") + path(status.backup);
  lines << (status.lastChangePass.empty() ? line(QT_TRANSLATE_NOOP("talvenor", "最後の変更: なし"))
                                          : line(QT_TRANSLATE_NOOP("talvenor", "最後の変更: %1"))
                                                .arg(QString::fromStdString(status.lastChangePass)));
  lines << line(QT_TRANSLATE_NOOP("talvenor", "今日のコピー: %1 件")).arg(status.copiesToday);
  if (status.waiting > 0) lines << line(QT_TRANSLATE_NOOP("talvenor", "コピー待ち: %1 件")).arg(status.waiting);
  return lines.join(QLatin1Char('\n'));
}

void CMonitorDlg::StatusChanged(const InstanceStatus& status) {
  if (m_tray) m_tray->SetToolTip(ToolTipFor(status));
  if (m_statusSink) m_statusSink(status);
}

int CMonitorDlg::ShowTrayMenu(bool startEnabled, bool stopEnabled) {
  QMenu menu(QCoreApplication::translate("talvenor", "停止"));
  const struct {
    int id;
    const char* text;
    bool enabled;
  } items[] = {{kTrayStart, QT_TRANSLATE_NOOP("talvenor", "開始"), startEnabled},
               {kTrayStop, QT_TRANSLATE_NOOP("talvenor", "停止"), stopEnabled},
               {kTrayQuit, QT_TRANSLATE_NOOP("talvenor", "終了"), true}};
  for (const auto& item : items) {
    QAction* action = menu.addAction(Tr(item.text));
    action->setObjectName(QString::number(item.id));
    action->setData(item.id);
    action->setEnabled(item.enabled);
  }
  const QPoint cursor = QCursor::pos();
  if (isVisible()) {
    raise();
    activateWindow();
  }
  const QAction* chosen = menu.exec(cursor);
  return chosen ? chosen->data().toInt() : 0;
}

}  // namespace talvenor::ui
