// Hiding to the notification area and the icon's menu.
#include <QAction>
#include <QCoreApplication>
#include <QCursor>
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
  const bool monitoring = g_monitoring.load() == 1;
  menu.actions()[0]->setEnabled(!monitoring);
  menu.actions()[1]->setEnabled(monitoring);
  if (QAction* chosen = menu.exec(cursor)) OnCommand(chosen->data().toInt());
}

}  // namespace talvenor::ui
