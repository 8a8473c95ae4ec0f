// The Versions window: opened from the change list's menu for a row's file or any file, its
// list, and what it does with a copy.
#include <sys/stat.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest/QTest>
#include <filesystem>

#include "MonitorDlgFixture.h"
#include "app/Translation.h"
#include "backup/GenerationRecord.h"
#include "ui/CVersionsDlg.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"

namespace talvenor::test {
namespace {

using ui::CMonitorDlg;
using ui::CVersionsDlg;

class VersionsDlgTest : public MonitorDlgTest {
 protected:
  // A copy of source in generation, recorded there, with the given write time.
  std::string Copy(const std::string& generation, const std::string& source, const std::string& contents,
                   long long time) {
    const std::string copy = m_work.Write("backup/" + generation + "/a.txt", contents);
    SetWriteTime(copy, time);
    m_work.Write("backup/" + generation + "/" + GenerationRecord::kFileName,
                 GenerationRecord::FormatLine({source, contents.size(), time, 0, "a.txt"}));
    return copy;
  }

  // Opens the change list's menu on the row and picks the item, if it is enabled; returns
  // whether it was.
  bool PickFromListMenu(CMonitorDlg& dlg, int row, const char* item) {
    auto* list = Control<QTreeWidget>(dlg, 1017);
    const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
    bool enabled = false;
    WhenModalShows([&](QWidget& up) {
      QAction* action = up.findChild<QAction*>(QString::fromLatin1(item));
      enabled = action != nullptr && action->isEnabled();
      auto* menu = qobject_cast<QMenu*>(&up);
      if (enabled) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
      } else {
        menu->close();
      }
    });
    dlg.OnListContextMenu(at);
    return enabled;
  }

  static QStringList Rows(const CVersionsDlg& window) {
    QStringList rows;
    for (int i = 0; i < window.List()->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = window.List()->topLevelItem(i);
      rows << item->text(0) + " " + item->text(1) + " " + item->text(2);
    }
    return rows;
  }
};

TEST_F(VersionsDlgTest, TheListsMenuOpensTheVersionsOfTheRowsFileOrOfAnyFile) {
  const std::string source = m_watch + "/a.txt";
  const std::string older = Copy("20120917143005.0", source, "one", 1347859805);
  const std::string newer = Copy("20120918090000.0", source, "three", 1347930000);
  StoreSettings({m_watch, m_backup});
  CMonitorDlg& dlg = Open();
  dlg.InsertRow(0, "<END>", "<20120918090000.0>", "");
  dlg.InsertRow(0, "a.txt", source, newer);

  EXPECT_FALSE(PickFromListMenu(dlg, 1, "versions"));  // a marker names no file
  ASSERT_TRUE(PickFromListMenu(dlg, 0, "versions"));
  auto* window = dlg.findChild<CVersionsDlg*>();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(Rows(*window), (QStringList{"2012-09-18 09:00:00 5 " + QString::fromStdString(newer),
                                        "2012-09-17 14:30:05 3 " + QString::fromStdString(older)}));
  window->close();

  // Any file, also one that is gone from the watched folder.
  std::filesystem::remove(source);
  ui::FileDialogs::SetNextAnswer(source);
  ASSERT_TRUE(PickFromListMenu(dlg, 1, "versionsOfAFile"));
  EXPECT_EQ(ui::FileDialogs::TakeRequests().size(), 1u);
  window = dlg.findChild<CVersionsDlg*>();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Versions().size(), 2u);
  UrlCatcher desktop;
  window->OnOpen();
  window->OnShowInFolder();
  EXPECT_EQ(desktop.urls,
            (std::vector<QUrl>{QUrl::fromLocalFile(QString::fromStdString(newer)),
                               QUrl::fromLocalFile(QString::fromStdString(m_backup + "/20120918090000.0"))}));
}

TEST_F(VersionsDlgTest, SaveACopyAsAsksBeforeReplacingAndKeepsTheCopysTime) {
  const std::string source = m_watch + "/a.txt";
  Copy("20120917143005.0", source, "the version", 1347859805);
  CVersionsDlg window(nullptr, source, m_backup, m_work / "log.csv");
  ASSERT_EQ(window.Versions().size(), 1u);
  const std::string target = m_work / "saved.txt";
  const auto save = [&](bool asked, ui::MessageBox::Answer answer) {
    if (asked) ui::MessageBox::SetNextAnswer(answer);
    ui::FileDialogs::SetNextAnswer(target);
    window.OnSaveCopyAs();
    return ui::MessageBox::TakeShownTexts();
  };
  const auto writeTime = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_mtim.tv_sec) : -1;
  };
  const struct {
    const char* before;  // nullptr: no file there yet
    ui::MessageBox::Answer answer;
    bool asked;
    const char* after;
  } cases[] = {
      {nullptr, ui::MessageBox::Answer::Ok, false, "the version"},
      {"the user's own", ui::MessageBox::Answer::Cancel, true, "the user's own"},
      {"the user's own", ui::MessageBox::Answer::Ok, true, "the version"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(target);
    if (c.before) m_work.Write("saved.txt", c.before);
    const std::vector<std::string> shown = save(c.asked, c.answer);
    ASSERT_EQ(shown.size(), c.asked ? 1u : 0u) << c.after;
    if (c.asked) {
      EXPECT_EQ(shown[0], target + " は既にあります。\n置き換えますか？");
    }
    EXPECT_EQ(ReadFile(target), c.after);
    if (std::string(c.after) == "the version") {
      EXPECT_EQ(writeTime(target), 1347859805);
    }
  }
  // Cancelling the file dialog saves nothing and asks nothing.
  ui::FileDialogs::SetNextAnswer("");
  window.OnSaveCopyAs();
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
}

TEST_F(VersionsDlgTest, EveryTextOfTheWindowHasItsEnglish) {
  UseLanguage(Language::English);
  CVersionsDlg window(nullptr, m_watch + "/gone.txt", m_backup, m_work / "log.csv");
  QStringList texts{window.windowTitle(), window.findChild<QLabel*>()->text()};
  for (int column = 0; column < 3; ++column) texts << window.List()->headerItem()->text(column);
  for (const char* name : {"open", "showInFolder", "saveCopyAs", "close"})
    texts << window.findChild<QPushButton*>(QString::fromLatin1(name))->text();
  UseLanguage(Language::Japanese);
  EXPECT_EQ(texts, (QStringList{"Versions - gone.txt", "No copies of " + QString::fromStdString(m_watch) + "/gone.txt",
                                "Time", "Size", "Copy", "&Open", "Show in &folder", "&Save a copy as…", "&Close"}));
}

}  // namespace
}  // namespace talvenor::test
