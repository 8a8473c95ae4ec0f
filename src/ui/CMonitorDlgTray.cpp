// Hiding to the notification area and the icon's menu.
#include <QAction>
#include <QCursor>
#include <QMenu>

#include "detect/MonitorSession.h"
#include "ui/CMonitorDlg.h"
#include "ui/TrayIcon.h"

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
  QMenu menu(QStringLiteral("停止"));
  const struct {
    int id;
    const char* text;
  } items[] = {{kTrayStart, "開始"}, {kTrayStop, "停止"}, {kTrayQuit, "終了"}};
  for (const auto& item : items) {
    QAction* action = menu.addAction(QString::fromUtf8(item.text));
    action->setObjectName(QString::number(item.id));
    action->setData(item.id);
  }
  const QPoint cursor = QCursor::pos();
  if (isVisible()) {
    raise();
    activateWindow();
  }
  const bool monitoring = g_monitoring.load() == 1;
  menu.actions()[0]->setEnabled(!monitoring);
  menu.actions()[1]->setEnabled(monitoring);
  if (QAction* chosen = menu.exec(cursor)) OnCommand(chosen->data().toInt());
}

}  // namespace talvenor::ui
