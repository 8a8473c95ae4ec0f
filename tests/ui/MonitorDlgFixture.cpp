#include "MonitorDlgFixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest/QTest>

#include "detect/Snapshot.h"

namespace talvenor::test {

void MonitorDlgTest::SetUp() {
  UiTest::SetUp();
  m_watch = m_work.MakeFolder("watched");
  m_work.Write("watched/a.txt", "alpha");
  m_backup = m_work.MakeFolder("backup");
}

void MonitorDlgTest::TearDown() {
  m_dlg.reset();
  ClearCurrentSnapshot();
  UiTest::TearDown();
}

ui::CMonitorDlg& MonitorDlgTest::Open(std::vector<std::string> args) {
  m_dlg = std::make_unique<ui::CMonitorDlg>(m_store, std::move(args), std::make_unique<FakeTray>(m_tray));
  m_dlg->OnInitDialog();
  return *m_dlg;
}

void MonitorDlgTest::TypeFolders(const std::string& watch, const std::string& backup) {
  for (auto [id, text] : {std::pair(1000, &watch), std::pair(1001, &backup)}) {
    auto* edit = Control<QLineEdit>(*m_dlg, id);
    edit->setText(QFile::decodeName(QByteArray::fromStdString(*text)));
  }
}

void MonitorDlgTest::Press(int id) { QTest::mouseClick(Control<QPushButton>(*m_dlg, id), Qt::LeftButton); }

std::vector<int> MonitorDlgTest::PickFromTrayMenu(int id) {
  std::vector<int> enabled;
  WhenModalShows([&enabled, id](QWidget& up) {
    auto* menu = qobject_cast<QMenu*>(&up);
    ASSERT_NE(menu, nullptr);
    QAction* chosen = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->isEnabled()) enabled.push_back(action->objectName().toInt());
      if (action->objectName().toInt() == id) chosen = action;
    }
    if (chosen) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    } else {
      menu->close();
    }
  });
  // Let the click that led here finish first, as it would before the desktop reports a press.
  QCoreApplication::processEvents();
  m_tray->Notify(ui::TrayIcon::kLeftButtonDown);
  return enabled;
}

}  // namespace talvenor::test
