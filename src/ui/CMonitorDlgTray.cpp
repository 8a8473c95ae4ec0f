// Hiding to the notification area and the icon's menu.
#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QMenu>

#include "detect/MonitorSession.h"
#include "ui/CMonitorDlg.h"
#include "ui/TrayIcon.h"
#include "ui/UiText.h"

namespace talvenor::ui {

void CMonitorDlg::HideToTray() {
  if (m_tray && m_tray->IsAvailable()) {
    m_tray->Add();
    hide();
  } else {
    // Without a notification area a hidden window could never be reached again (a second
    // start is refused silently), so the window is only minimised.
    showMinimized();
  }
  if (m_bInitialising) m_bHiddenByInit = true;
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

void CMonitorDlg::OnTrayNotify(int iconId, int mouseMessage) {
  if (iconId != TrayIcon::kIconId) return;
  if (mouseMessage == TrayIcon::kLeftButtonDown) {
    ShowTrayMenu();
  } else if (mouseMessage == TrayIcon::kRightButtonDown) {
    showNormal();
    raise();
    activateWindow();
  }
}

void CMonitorDlg::ShowTrayMenu() {
  QMenu menu(QCoreApplication::translate("talvenor", "停止"));
  const struct {
    int id;
    const char* text;
  } items[] = {{kTrayStart, QT_TRANSLATE_NOOP("talvenor", "開始")},
               {kTrayStop, QT_TRANSLATE_NOOP("talvenor", "停止")},
               {kTrayQuit, QT_TRANSLATE_NOOP("talvenor", "終了")}};
  for (const auto& item : items) {
    QAction* action = menu.addAction(Tr(item.text));
    action->setObjectName(QString::number(item.id));
    action->setData(item.id);
  }
  const QPoint cursor = QCursor::pos();
  if (isVisible()) {
    raise();
    activateWindow();
  }
  const bool monitoring = m_session && m_session->IsRunning();
  menu.actions()[0]->setEnabled(!monitoring);
  menu.actions()[1]->setEnabled(monitoring);
  if (QAction* chosen = menu.exec(cursor)) OnCommand(chosen->data().toInt());
}

}  // namespace talvenor::ui
