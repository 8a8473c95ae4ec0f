// The windows in English, and in both languages the things a translation can break: clipped
// texts and clashing access keys.
#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <set>

#include "MonitorDlgFixture.h"
#include "app/Translation.h"
#include "core/Messages.h"
#include "ui/CAboutDlg.h"
#include "ui/CProgressWnd.h"
#include "ui/CSettingsDlg.h"
#include "ui/MessageBox.h"

namespace talvenor::test {
namespace {

using ui::CMonitorDlg;

class LanguageUiTest : public MonitorDlgTest {
 protected:
  void TearDown() override {
    MonitorDlgTest::TearDown();
    UseLanguage(Language::Japanese);
  }
};

// The room a control's text needs, in pixels, against the room it has.
int Needed(const QWidget& widget) {
  const QFontMetrics metrics(widget.font());
  if (auto* radio = qobject_cast<const QRadioButton*>(&widget)) return radio->sizeHint().width();
  if (auto* button = qobject_cast<const QPushButton*>(&widget)) {
    return metrics.horizontalAdvance(QString(button->text()).remove('&')) + 6;  // the bevel
  }
  if (auto* label = qobject_cast<const QLabel*>(&widget)) {
    return metrics.boundingRect(QRect(), 0, label->text()).width();  // every line
  }
  if (auto* group = qobject_cast<const QGroupBox*>(&widget)) return metrics.horizontalAdvance(group->title());
  return 0;
}

void ExpectNothingClipped(const QWidget& window, const char* language) {
  std::set<QChar> keys;
  for (const QWidget* control : window.findChildren<QWidget*>()) {
    if (!control->isVisibleTo(&window)) continue;
    EXPECT_LE(Needed(*control), control->width()) << language << " " << control->objectName().toStdString();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) {
      const qsizetype amp = button->text().indexOf('&');
      if (amp >= 0) {
        EXPECT_TRUE(keys.insert(button->text().at(amp + 1).toLower()).second)
            << language << " access key of " << button->text().toStdString();
      }
    }
  }
}

TEST_F(LanguageUiTest, NoTextIsClippedAndNoAccessKeyClashesInEitherLanguage) {
  for (const auto& [language, name] : {std::pair(Language::Japanese, "ja"), std::pair(Language::English, "en")}) {
    UseLanguage(language);
    CMonitorDlg& dlg = Open();
    ExpectNothingClipped(dlg, name);
    Settings values;
    ui::CSettingsDlg settings(values);
    ExpectNothingClipped(settings, name);
    ui::CAboutDlg about(nullptr);
    ExpectNothingClipped(about, name);
    ui::CProgressWnd progress(&dlg, TranslateEngineText(msg::kFolderSizeTitle), false, nullptr);
    progress.SetText("%s", TranslateEngineText(msg::kFolderSizeText).c_str());
    ExpectNothingClipped(*progress.Window(), name);
    m_dlg.reset();
  }
}

// Qt's standard buttons, the folder picker and the edit boxes' menu speak the same language.
TEST_F(LanguageUiTest, QtsOwnTextsFollowTheLanguage) {
  const struct {
    Language language;
    const char *cancel, *lookIn, *undo;
  } cases[] = {{Language::Japanese, "キャンセル", "アドレス:", "元に戻す(&U)"},
               {Language::English, "Cancel", "Look in:", "&Undo"}};
  for (const auto& c : cases) {
    UseLanguage(c.language);
    auto question = ui::MessageBox::Build(nullptr, "?", MessageIcon::Warning, true);
    EXPECT_EQ(question->button(QMessageBox::Cancel)->text(), QString::fromUtf8(c.cancel));
    QFileDialog picker;
    picker.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(picker.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QString::fromUtf8(c.lookIn));
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    EXPECT_TRUE(menu->actions().at(0)->text().startsWith(QString::fromUtf8(c.undo))) << c.undo;
  }
}

TEST_F(LanguageUiTest, EnglishCaptionsTooltipsAndMessages) {
  UseLanguage(Language::English);
  CMonitorDlg& dlg = Open();
  const struct {
    int id;
    const char* text;
    const char* tip;
  } buttons[] = {{1002, "&Browse…", "Sets the watched folder"},
                 {1009, "&Help…", "Shows help"},
                 {1003, "Brows&e…", "Sets the backup folder"},
                 {1008, "St&art", "Starts monitoring"},
                 {1007, "St&op", "Stops monitoring"},
                 {1006, "&Settings…", "Sets the log size, the check interval and more"},
                 {1010, "Show &log…", "Shows the log"},
                 {1, "&Close", "Closes the window"},
                 {2, "&Quit", "Quits the application"}};
  for (const auto& button : buttons) {
    EXPECT_EQ(Control<QPushButton>(dlg, button.id)->text(), QString::fromUtf8(button.text));
    EXPECT_EQ(Control<QPushButton>(dlg, button.id)->toolTip(), QString::fromUtf8(button.tip)) << button.id;
  }
  QStringList labels;
  for (const QLabel* label : dlg.findChildren<QLabel*>()) labels << label->text();
  EXPECT_EQ(labels, (QStringList{"Watched folder:", "Backup folder:"}));
  const QTreeWidgetItem* header = Control<QTreeWidget>(dlg, 1017)->headerItem();
  EXPECT_EQ((QStringList{header->text(0), header->text(1), header->text(2)}),
            (QStringList{"File name", "Path", "Backup copy"}));
  EXPECT_EQ(dlg.actions().at(0)->text(), QStringLiteral("&About Talvenor…"));

  Settings values;
  ui::CSettingsDlg settings(values);
  EXPECT_EQ(settings.windowTitle(), QStringLiteral("Settings"));
  QStringList radios;
  for (int id : ui::CSettingsDlg::kRadioIds) radios << Control<QRadioButton>(settings, id)->text();
  EXPECT_EQ(radios, (QStringList{"100 KB", "1 MB", "10 MB", "1 s", "10 s", "60 s", "10", "100", "1000", "All files",
                                 "Changes only"}));
  EXPECT_EQ(Control<QRadioButton>(settings, 1036)->toolTip(), QStringLiteral("The first backup copies every file"));
  EXPECT_EQ(Control<QPushButton>(settings, 2)->text(), QStringLiteral("Cancel"));

  // The tray menu, and an engine message shown by the window.
  QStringList items;
  WhenModalShows([&items](QWidget& up) {
    for (QAction* action : qobject_cast<QMenu*>(&up)->actions()) items << action->text();
    up.close();
  });
  QCoreApplication::processEvents();
  m_tray->Notify(ui::TrayIcon::kLeftButtonDown);
  EXPECT_EQ(items, (QStringList{"Start", "Stop", "Quit"}));
  TypeFolders(m_watch, m_work / "missing");
  Press(1008);
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(),
            std::vector<std::string>{"Check the watched folder and the backup folder."});
  Press(1);
  dlg.ShowNotice(msg::Format(msg::kCannotRemoveFolder, {"/bk/20120917143005.0"}));
  EXPECT_EQ(m_tray->balloons, std::vector<std::string>{"Cannot delete the folder /bk/20120917143005.0"});
}

}  // namespace
}  // namespace talvenor::test
