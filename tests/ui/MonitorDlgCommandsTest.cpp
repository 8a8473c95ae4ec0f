#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <cerrno>
#include <csignal>
#include <tuple>

#include "MonitorDlgFixture.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "platform/FaultInjection.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"

namespace talvenor::test {
namespace {

using ui::CMonitorDlg;
using ui::FileDialogs;
using Texts = std::vector<std::string>;

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

TEST_F(MonitorDlgTest, RefusedFolderReopensThePickerAtTheSameFolder) {
  StoreSettings(Settings{m_watch, m_backup});
  CMonitorDlg& dlg = Open();
  const std::string inside = m_work.MakeFolder("watched/sub");
  const std::string other = m_work.MakeFolder("other");
  FileDialogs::SetNextAnswer(inside);  // refused: inside the watched folder
  FileDialogs::SetNextAnswer(other);
  Press(1003);
  EXPECT_EQ(FileDialogs::TakeRequests(), (Texts{"folder:" + m_backup, "folder:" + m_backup}));
  const Texts shown = ui::MessageBox::TakeShownTexts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("3.8"), std::string::npos);
  EXPECT_EQ(Control<QLineEdit>(dlg, 1001)->text().toStdString(), other);

  // Refused, then cancelled: the field keeps its text.
  FileDialogs::SetNextAnswer(m_watch + "/deeper");
  Press(1003);
  EXPECT_EQ(FileDialogs::TakeRequests().size(), 2u);
  EXPECT_EQ(Control<QLineEdit>(dlg, 1001)->text().toStdString(), other);
}

TEST_F(MonitorDlgTest, OnlyAnotherWatchedFolderDeletesTheSnapshotFile) {
  StoreSettings(Settings{m_watch, m_backup});
  CMonitorDlg& dlg = Open();
  const std::string snapshot = m_work.Write("test2.dat", "kept");
  FileDialogs::SetNextAnswer(m_watch);
  Press(1002);
  EXPECT_TRUE(Exists(snapshot));
  Press(1002);  // cancelled
  EXPECT_TRUE(Exists(snapshot));
  const std::string other = m_work.MakeFolder("other");
  FileDialogs::SetNextAnswer(other);
  Press(1002);
  EXPECT_FALSE(Exists(snapshot));
  EXPECT_EQ(Control<QLineEdit>(dlg, 1000)->text().toStdString(), other);
}

TEST_F(MonitorDlgTest, CancelledPickerOnAnEmptyFieldGivesTheRoot) {
  CMonitorDlg& dlg = Open();
  TypeFolders("", m_backup);
  Press(1002);
  EXPECT_EQ(FileDialogs::TakeRequests(), Texts{"folder:/"});
  EXPECT_EQ(Control<QLineEdit>(dlg, 1000)->text(), QStringLiteral("/"));
}

TEST_F(MonitorDlgTest, ViewingCopyIsRefreshedOnlyWhenTheLogSizeChanged) {
  CMonitorDlg& dlg = Open();
  m_work.Write("log.csv", "a.txt,/w/a.txt,/b/20120917143005.0/a.txt\n");
  const auto pick = [&](std::vector<int> ids) {
    WhenModalShows([ids](QWidget& settings) {
      for (int id : ids) {
        auto* button = settings.findChild<QAbstractButton*>(QString::number(id));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
      }
    });
    Press(1006);
  };
  pick({1033, 1});  // only the number of backups
  EXPECT_EQ(dlg.CurrentSettings().BAKSZ, 100);
  EXPECT_FALSE(Exists(m_work / "log_bak.csv"));
  pick({1027, 1028, 1032, 2});  // cancelled
  EXPECT_EQ(dlg.CurrentSettings().LOGSZ, 100);
  EXPECT_EQ(dlg.CurrentSettings().BAKSZ, 100);
  EXPECT_FALSE(Exists(m_work / "log_bak.csv"));
  pick({1027, 1});
  EXPECT_EQ(dlg.CurrentSettings().LOGSZ, 1000);
  EXPECT_EQ(ReadFile(m_work / "log_bak.csv"), ReadFile(m_work / "log.csv"));
}

TEST_F(MonitorDlgTest, AboutItemOfTheContextMenuShowsTheAboutBox) {
  CMonitorDlg& dlg = Open();
  QAction* about = nullptr;
  for (QAction* action : dlg.actions()) {
    if (action->objectName() == QStringLiteral("16")) about = action;
  }
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->text(), QStringLiteral("Talvenor のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
  EXPECT_EQ(dlg.contextMenuPolicy(), Qt::ActionsContextMenu);
  QString title;
  WhenModalShows([&title](QWidget& box) {
    title = box.windowTitle();
    QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
  });
  about->trigger();
  EXPECT_EQ(title, QStringLiteral("Talvenorのﾊﾞｰｼﾞｮﾝ情報"));
}

TEST_F(MonitorDlgTest, QuitChosenWhileStartIsCheckingIsRefusedQuietly) {
  CMonitorDlg& dlg = Open();
  for (int i = 0; i < 5; ++i) m_work.MakeFolder("watched/sub" + std::to_string(i));
  TypeFolders(m_watch, m_backup);
  bool ended = false, tried = false;
  QObject::connect(&dlg, &QDialog::finished, [&ended] { ended = true; });
  // Arrives while the size check lets input through, as the tray menu's Quit would.
  QTimer::singleShot(0, &dlg, [&] {
    tried = true;
    EXPECT_FALSE(dlg.isEnabled());
    dlg.OnCommand(CMonitorDlg::kTrayQuit);
  });
  Press(1008);
  EXPECT_TRUE(tried);
  EXPECT_FALSE(ended);
  EXPECT_TRUE(dlg.Session().IsRunning());
  EXPECT_TRUE(dlg.isEnabled());
  EXPECT_NE(m_store.Load().DIR1, m_watch);  // nothing was saved
}

// Quit chosen while a pass waits on one of its messages closes nothing under the pass: the pass
// ends once the message is answered, leaves the file it did not copy for the next pass, and
// then the program quits, saying how many files were left.
TEST_F(MonitorDlgTest, QuitChosenWhileAPassShowsAMessageWaitsForThePass) {
  CMonitorDlg& dlg = Open();
  m_work.MakeFolder("watched/denied");
  TypeFolders(m_watch, m_backup);
  Press(1008);
  ASSERT_TRUE(dlg.Session().IsRunning());
  m_work.Write("watched/new.txt", "new");
  // The pass meets a folder it may not read and says so in a box that waits for the user.
  const platform::ScopedFaults denied({.unopenableFolder = m_watch + "/denied", .openError = EACCES});
  ui::MessageBox::AnswerWithoutShowing(false);
  bool ended = false, tried = false, passRanOn = false;
  QObject::connect(&dlg, &QDialog::finished, [&ended] { ended = true; });
  WhenModalShows([&](QWidget& box) {
    tried = true;
    dlg.OnCommand(CMonitorDlg::kTrayQuit);
    passRanOn = dlg.Session().IsPassRunning() && !ended;
    ui::MessageBox::AnswerWithoutShowing(true);
    box.close();
  });
  dlg.Session().SetChangeSeen(true);
  dlg.Session().SetWholeScanInterval(std::chrono::seconds(0));  // the denial comes with no event
  EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
  EXPECT_TRUE(tried);
  EXPECT_TRUE(passRanOn) << "nothing ends under the pass";
  EXPECT_EQ(dlg.Session().Detector().LastLeftCount(), 1);
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(), std::vector<std::string>{msg::Format(msg::kFilesLeftForNextPass, {"1"})});
}

// Every way of quitting writes every key, with what the window holds at that moment.
class QuitTest : public MonitorDlgTest, public ::testing::WithParamInterface<int> {};

TEST_P(QuitTest, WritesEveryKeyAndEndsTheRun) {
  CMonitorDlg& dlg = Open();
  TypeFolders("typed but never used", m_backup);
  Control<QTreeWidget>(dlg, 1017)->setColumnWidth(1, 123);
  dlg.move(60, 70);
  switch (GetParam()) {
    case 0:
      Press(2);
      break;
    case 1:
      QTest::keyClick(&dlg, Qt::Key_Escape);
      break;
    case 2:
      dlg.close();
      break;
    case 3:
      Press(1);
      PickFromTrayMenu(CMonitorDlg::kTrayQuit);
      break;
    case 4:  // a logout or a service stop
      dlg.QuitOnTerminationSignals();
      ::raise(SIGTERM);
      for (int i = 0; i < 100 && dlg.isVisible(); ++i) QTest::qWait(10);
      break;
  }
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);

  const std::string text = ReadFile(m_store.FilePath());
  for (const char* key : {"DIR1", "DIR2", "LEFT", "TOP", "RIGHT", "BOTTOM", "LEVEL", "LOGSZ", "BAKSZ", "FIRST",
                          "COLUMNX1", "COLUMNX2", "COLUMNX3"}) {
    EXPECT_NE(text.find(std::string(key) + "="), std::string::npos) << key;
  }
  const Settings saved = m_store.Load();
  EXPECT_EQ(std::tie(saved.DIR1, saved.DIR2, saved.COLUMNX2, saved.LEFT, saved.TOP),
            std::make_tuple("typed but never used", m_backup, 123, 60, 70));
  EXPECT_EQ(saved.RIGHT - saved.LEFT, dlg.frameGeometry().width());
  EXPECT_EQ(std::tie(saved.LEVEL, saved.LOGSZ, saved.BAKSZ, saved.FIRST), std::make_tuple(1, 100, 100, 0));
}

INSTANTIATE_TEST_SUITE_P(ButtonEscCloseBoxTraySignal, QuitTest, ::testing::Values(0, 1, 2, 3, 4));

TEST_F(MonitorDlgTest, QuitWhileRunningStopsTheSessionAndKeepsTheIconUntilTheWindowGoes) {
  CMonitorDlg& dlg = Open();
  TypeFolders(m_watch, m_backup);
  Press(1008);
  ASSERT_TRUE(dlg.Session().IsRunning());
  PickFromTrayMenu(CMonitorDlg::kTrayQuit);
  EXPECT_FALSE(dlg.Session().IsRunning());
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_TRUE(m_tray->shown);
  m_dlg.reset();
  EXPECT_FALSE(m_tray->shown);
}

// The passes of a session leave its snapshot to be saved later: a signal that ends the program
// saves it first, as Quit does.
TEST_F(MonitorDlgTest, ATerminationSignalWhileRunningSavesTheSnapshotAndEndsTheRun) {
  CMonitorDlg& dlg = Open();
  dlg.QuitOnTerminationSignals();
  TypeFolders(m_watch, m_backup);
  Press(1008);
  ASSERT_TRUE(dlg.Session().IsRunning());
  m_work.Write("watched/new.txt", "new");
  dlg.Session().SetChangeSeen(true);
  dlg.Session().OnMonitorTick();
  ASSERT_EQ(ReadFile(m_work / "test2.dat").find("new.txt"), std::string::npos) << "saved at the pass already";
  bool ended = false;
  QObject::connect(&dlg, &QDialog::finished, [&ended] { ended = true; });
  ::raise(SIGTERM);
  for (int i = 0; i < 100 && !ended; ++i) QTest::qWait(10);
  EXPECT_TRUE(ended);
  EXPECT_FALSE(dlg.Session().IsRunning());
  EXPECT_NE(ReadFile(m_work / "test2.dat").find("new.txt"), std::string::npos);
}

}  // namespace
}  // namespace talvenor::test
