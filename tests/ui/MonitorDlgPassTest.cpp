// The window during a long pass: it answers, rows appear as copies are made, and Stop or Quit
// from a button or the tray menu takes effect after the file in progress, leaving the files
// not copied as changes for the next pass.
#include <QTimer>
#include <QtTest/QTest>
#include <filesystem>

#include "MonitorDlgFixture.h"
#include "backup/GenerationRecord.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "ui/MessageBox.h"

namespace talvenor {
namespace {

using ui::CMonitorDlg;
namespace fs = std::filesystem;

constexpr int kFiles = 1500;

class MonitorDlgPassTest : public test::MonitorDlgTest {
 protected:
  std::size_t CopiesMade() const {
    std::size_t copies = 0;
    // Copies lie in generation folders; a generation's record is no copy.
    for (const auto& generation : fs::directory_iterator(m_backup)) {
      if (!generation.is_directory()) continue;
      for (const auto& entry : fs::directory_iterator(generation.path()))
        copies += entry.path().filename() != GenerationRecord::kFileName ? 1 : 0;
    }
    return copies;
  }
};

TEST_F(MonitorDlgPassTest, StopAndQuitDuringAPassTakeEffectAfterTheFileInProgress) {
  const struct {
    const char* what;
    int command;
    bool fromTray;
    bool quits;
  } cases[] = {{"Stop button", 1007, false, false},
               {"Stop in the tray menu", CMonitorDlg::kTrayStop, true, false},
               {"Quit button", 2, false, true},
               {"Quit in the tray menu", CMonitorDlg::kTrayQuit, true, true}};
  for (int i = 0; i < kFiles; ++i) m_work.Write("watched/f" + std::to_string(i), "x");
  // With the fixture's own file and the one that raises the flag.
  const std::size_t total = kFiles + 2;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(m_backup);
    fs::create_directory(m_backup);
    fs::remove(m_work / "test2.dat");
    Settings settings;
    settings.FIRST = 1;  // no snapshot: the first pass copies every file
    StoreSettings(settings);
    CMonitorDlg& dlg = Open();
    TypeFolders(m_watch, m_backup);
    Press(1008);
    ASSERT_TRUE(dlg.Session().IsRunning());
    m_work.Write("watched/trigger", "t");

    // Inside the pass only the pass's own breaths let this timer fire.
    int firedDuringPass = 0;
    int rowsWhenAsked = 0;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!dlg.Session().IsPassRunning()) return;
      ++firedDuringPass;
      if (rowsWhenAsked != 0 || dlg.RowCount() < 2) return;
      rowsWhenAsked = dlg.RowCount();
      if (c.fromTray) {
        PickFromTrayMenu(c.command);
      } else {
        Press(c.command);
      }
    });
    poll.start();
    testing::internal::CaptureStderr();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsWhenAsked != 0 && !dlg.Session().IsPassRunning(); }, 60000));
    const std::string err = testing::internal::GetCapturedStderr();
    poll.stop();

    EXPECT_GE(firedDuringPass, 1);
    const int left = dlg.Session().Detector().LastLeftCount();
    const std::size_t copied = CopiesMade();
    EXPECT_GT(left, 0);
    EXPECT_EQ(copied + static_cast<std::size_t>(left), total);
    EXPECT_EQ(dlg.Session().Detector().LastChangeCount(), static_cast<int>(copied));
    const std::string told = msg::Format(msg::kFilesLeftForNextPass, {std::to_string(left)});
    if (c.quits) {
      EXPECT_FALSE(dlg.isVisible());
      EXPECT_EQ(dlg.result(), QDialog::Rejected);
      EXPECT_EQ(ui::MessageBox::TakeShownTexts(), std::vector<std::string>{told});
      EXPECT_NE(err.find("talvenor: " + told + "\n"), std::string::npos) << err;
    } else {
      EXPECT_FALSE(dlg.Session().IsRunning());
      EXPECT_EQ(m_tray->balloons, std::vector<std::string>{told});
      EXPECT_EQ(err.find("talvenor: "), std::string::npos) << err;
    }
    m_tray->balloons.clear();

    // The saved snapshot kept the files not copied as changes: the next pass copies them all.
    dlg.Session().DetectChanges(m_watch, 1);
    EXPECT_EQ(dlg.Session().Detector().LastChangeCount(), left);
    EXPECT_EQ(CopiesMade(), total);
    m_dlg.reset();
  }
}

// The tray icon's tooltip: the state and both folders, the last pass with changes and the copies
// of today, and the copies waiting only while some wait.
TEST_F(MonitorDlgPassTest, TheTrayTooltipTellsTheStateAtAGlance) {
  CMonitorDlg& dlg = Open();
  const auto lines = [&] { return m_tray->toolTip.split(QLatin1Char('\n')); };
  EXPECT_EQ(lines().front(), QStringLiteral("Talvenor: 停止中"));
  TypeFolders(m_watch, m_backup);
  Press(1008);
  EXPECT_EQ(lines(), (QStringList{"Talvenor: 監視中", "監視フォルダ: " + QString::fromStdString(m_watch),
                                  "バックアップ先: " + QString::fromStdString(m_backup), "最後の変更: なし",
                                  "今日のコピー: 0 件"}));
  m_work.Write("watched/b.txt", "b");
  m_work.Write("watched/c.txt", "c");
  dlg.Session().SetChangeSeen(true);
  dlg.Session().OnMonitorTick();
  ASSERT_EQ(lines().size(), 5);
  EXPECT_TRUE(lines()[3].startsWith(QStringLiteral("最後の変更: 20"))) << lines()[3].toStdString();
  EXPECT_EQ(lines()[4], QStringLiteral("今日のコピー: 2 件"));
  // The backup folder gone: the copy waits, and the tooltip says so.
  fs::rename(m_backup, m_backup + ".away");
  m_work.Write("watched/d.txt", "d");
  dlg.Session().SetChangeSeen(true);
  dlg.Session().OnMonitorTick();
  EXPECT_EQ(lines().back(), QStringLiteral("コピー待ち: 1 件"));
  fs::rename(m_backup + ".away", m_backup);
  Press(1007);
  EXPECT_EQ(lines().front(), QStringLiteral("Talvenor: 停止中"));
}

}  // namespace
}  // namespace talvenor
