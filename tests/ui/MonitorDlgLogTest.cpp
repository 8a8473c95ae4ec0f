#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "MonitorDlgFixture.h"
#include "core/UiPort.h"
#include "detect/Snapshot.h"
#include "detect/SnapshotFile.h"
#include "support/RecordingUi.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"

namespace talvenor::test {
namespace {

using ui::FileDialogs;
using Texts = std::vector<std::string>;

CElement Entry(const std::string& name, std::uint32_t size, const std::string& stamp) {
  CElement entry;
  entry.m_strName = name;
  entry.m_dwSize = size;
  entry.m_strStamp = stamp;
  entry.m_strFolder = SharedFolder("/w/");
  return entry;
}

TEST_F(MonitorDlgTest, ShowLogRefreshesTheViewingCopyOrWithoutALogDeletesItAndSaysSo) {
  UrlCatcher desktop;
  Open();
  m_work.Write("log_bak.csv", "old");
  Press(1010);
  EXPECT_FALSE(std::filesystem::exists(m_work / "log_bak.csv"));
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(), Texts{"ログファイルは存在しません"});
  EXPECT_TRUE(desktop.urls.empty());

  m_work.Write("log.csv", "<20120917143005.0>\n");
  m_work.Write("log_bak.csv", "old");
  Press(1010);
  EXPECT_EQ(ReadFile(m_work / "log_bak.csv"), "<20120917143005.0>\n");
  ASSERT_EQ(desktop.urls.size(), 1u);
  EXPECT_EQ(desktop.urls[0].toLocalFile().toStdString(), m_work / "log_bak.csv");
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
}

// With no desktop program to open the file (the offscreen platform has none), Show log and Help
// name the file in a message, so the user can open it another way.
TEST_F(MonitorDlgTest, ShowLogAndHelpWithoutADesktopProgramNameTheirFile) {
  Open();
  m_work.Write("log.csv", "<20120917143005.0>\n");
  m_work.Write("help/main.htm", "<html></html>");
  for (const auto& [button, file] :
       {std::pair(1010, m_work / "log_bak.csv"), std::pair(1009, m_work / "help/main.htm")}) {
    Press(button);
    EXPECT_EQ(ui::MessageBox::TakeShownTexts(),
              Texts{file + " を開くプログラムが見つかりません。このファイルをご自分で開いてください。"})
        << button;
  }
}

TEST_F(MonitorDlgTest, ChangeListRowsAndADoubleClickThatDoesNothing) {
  UrlCatcher desktop;
  ui::CMonitorDlg& dlg = Open();
  dlg.InsertRow(0, "a.txt", "/w/a.txt", "/b/1.0/a.txt");
  dlg.InsertRow(0, "\xff.txt", "/w/\xff.txt", "/b/1.0/\xff.txt");
  ASSERT_EQ(dlg.RowCount(), 2);
  auto* list = Control<QTreeWidget>(dlg, 1017);
  EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("/b/1.0/a.txt"));
  const QRect row = list->visualItemRect(list->topLevelItem(0));
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(dlg.RowCount(), 2);
  EXPECT_TRUE(desktop.urls.empty());
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
  dlg.DeleteRow(1);
  EXPECT_EQ(list->topLevelItem(0)->text(0).toStdString(), QFile::decodeName("\xff.txt").toStdString());
}

TEST_F(MonitorDlgTest, ReadSnapshotTestListsTheProgramsSnapshotFileInOrder) {
  Open();
  RecordingUi recorder;
  ASSERT_NE(SaveSnapshot(m_work / "test2.dat",
                         Snapshot{Entry("a.txt", 5, "20120917143005"), Entry("big.bin", 0xFFFFFFFF, "20120101000000")},
                         recorder),
            0);
  Control<QPushButton>(*m_dlg, 1016)->click();
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(), Texts{"a.txt 5 20120917143005 \r\nbig.bin -1 20120101000000 \r\n"});
  EXPECT_TRUE(g_currentSnapshot.empty());

  // A missing file lists nothing.
  std::filesystem::remove(m_work / "test2.dat");
  m_dlg->OnCommand(1016);
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(), Texts{""});
}

TEST_F(MonitorDlgTest, WriteTestSavesThreeEntriesAndReadTestListsThem) {
  Open();
  const std::string saved = m_work / "list.dat";
  FileDialogs::SetNextAnswer(saved);
  m_dlg->OnCommand(1014);
  EXPECT_TRUE(g_currentSnapshot.empty());
  FileDialogs::SetNextAnswer(saved);
  m_dlg->OnCommand(1015);
  EXPECT_EQ(FileDialogs::TakeRequests(), (Texts{"save:表示一覧をCSV形式で保存", "open:保存した一覧を開く"}));
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(),
            Texts{"test1 10001 test2 \r\ntest1 10001 test2 \r\ntest1 10001 test2 \r\n"});

  // Cancelled: the entries stay in the working list; a cancelled read shows nothing.
  m_dlg->OnCommand(1014);
  EXPECT_EQ(g_currentSnapshot.size(), 3u);
  ClearCurrentSnapshot();
  m_dlg->OnCommand(1015);
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
}

}  // namespace
}  // namespace talvenor::test
