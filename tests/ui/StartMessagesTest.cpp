// The boxes Start shows while its progress window, which stays on top, is open.
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <filesystem>

#include "MonitorDlgFixture.h"
#include "detect/MonitorSession.h"
#include "ui/CProgressWnd.h"
#include "ui/MessageBox.h"

namespace talvenor::test {
namespace {

using ui::CMonitorDlg;

struct Case {
  const char* name;
  bool fromTray;
  bool tooLarge;  // else the backup folder is missing
  std::string text;
};

const Case kCases[] = {
    {"question from the button", false, true, "このフォルダのサイズが大き過ぎます。続けますか？"},
    {"refusal from the button", false, false, "監視先とバックアップ先を確認してください"},
    {"question from the tray menu", true, true, "このフォルダのサイズが大き過ぎます。続けますか？"},
    {"refusal from the tray menu", true, false, "監視先とバックアップ先を確認してください"},
};

// What the box saw of the desktop while it was up.
struct Seen {
  bool shown = false;
  std::string text;
  bool progressOpen = false;
  bool ownedByProgress = false;
  bool active = false;
  bool focusInBox = false;
  bool aboveOnTheDesktop = false;
};

class StartMessagesTest : public MonitorDlgTest {
 protected:
  // Looks at the first message box that comes up, then answers it with Cancel (or OK).
  void WatchNextBox(Seen& seen) {
    auto* poll = new QTimer(m_dlg.get());
    QObject::connect(poll, &QTimer::timeout, [this, poll, &seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      poll->stop();
      seen.shown = true;
      seen.text = box->text().toStdString();
      QWidget* progress = m_dlg->Progress() ? m_dlg->Progress()->Window() : nullptr;
      seen.progressOpen = progress && progress->isVisible();
      seen.ownedByProgress = progress && box->windowHandle()->transientParent() == progress->windowHandle();
      seen.active = QTest::qWaitForWindowActive(box, 3000);
      seen.focusInBox = QTest::qWaitFor(
          [box] { return QApplication::focusWidget() && QApplication::focusWidget()->window() == box; }, 3000);
      // Where a window manager stacks the windows, ask it; elsewhere Qt's own stacking stands.
      seen.aboveOnTheDesktop = !progress || QTest::qWaitFor([&] { return IsAbove(*box, *progress); }, 3000);
      QAbstractButton* answer = box->button(QMessageBox::Cancel);
      if (!answer) answer = box->button(QMessageBox::Ok);
      answer->click();
    });
    poll->start(5);
  }
};

TEST_F(StartMessagesTest, BoxesOpenAboveTheProgressWindowWithTheFocus) {
  const std::string large = m_work.MakeFolder("large");
  std::filesystem::resize_file(m_work.Write("large/big.bin", ""), 10'000'001);  // sparse
  ui::MessageBox::AnswerWithoutShowing(false);
  for (const Case& c : kCases) {
    StoreSettings(c.tooLarge ? Settings{large, m_backup} : Settings{m_watch, m_work / "missing"});
    CMonitorDlg& dlg = Open();
    ASSERT_TRUE(WaitUntilPlaced(dlg));
    Seen seen;
    WatchNextBox(seen);
    if (c.fromTray) {
      Press(1);
      PickFromTrayMenu(CMonitorDlg::kTrayStart);
    } else {
      Press(1008);
    }
    ASSERT_TRUE(seen.shown) << c.name;
    EXPECT_EQ(seen.text, c.text) << c.name;
    EXPECT_TRUE(seen.progressOpen) << c.name;
    EXPECT_TRUE(seen.ownedByProgress) << c.name;
    EXPECT_TRUE(seen.aboveOnTheDesktop) << c.name;
    EXPECT_TRUE(seen.active) << c.name;
    EXPECT_TRUE(seen.focusInBox) << c.name;
    EXPECT_FALSE(dlg.Session().IsRunning()) << c.name;
    EXPECT_EQ(dlg.Progress(), nullptr) << c.name;
    m_dlg.reset();
  }
  ui::MessageBox::AnswerWithoutShowing(true);
}

}  // namespace
}  // namespace talvenor::test
