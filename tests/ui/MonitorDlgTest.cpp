#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "MonitorDlgFixture.h"
#include "detect/MonitorSession.h"
#include "ui/CProgressWnd.h"
#include "ui/CSplashWnd.h"
#include "ui/DialogUnits.h"
#include "ui/MessageBox.h"

namespace talvenor::test {
namespace {

using ui::CMonitorDlg;
using Texts = std::vector<std::string>;

const std::string kCheckFolders = "監視先とバックアップ先を確認してください";

bool Enabled(const CMonitorDlg& dlg, int id) { return Control<QWidget>(dlg, id)->isEnabled(); }
// The controls Start disables and those it leaves enabled.
const int kStoppedOnly[] = {1008, 1002, 1003, 1006, 1000, 1001};
const int kAlwaysOn[] = {1010, 1, 2, 1009};

TEST_F(MonitorDlgTest, FreshProfileOpensWithTheTemplatesControls) {
  CMonitorDlg& dlg = Open();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Talvenor"));
  const ui::DialogUnits units(dlg.font());
  EXPECT_EQ(dlg.size(), QSize(units.X(334), units.Y(175)));
  const struct {
    int id;
    const char* text;
    const char* tip;
  } buttons[] = {{1002, "参照(&D)..", "監視先を設定します"},
                 {1009, "ヘルプ(&H)..", "ヘルプを表示します"},
                 {1003, "参照(&E)..", "バックアップ先の設定します"},
                 {1008, "開始(&A)", "監視をスタートします"},
                 {1007, "停止(&B)", "監視をストップします"},
                 {1006, "詳細設定(&M)..", "ログサイズ、監視レベルの設定等を行います"},
                 {1010, "ログ表示(&L)..", "ログを表示します"},
                 {1, "閉じる(&C)", "画面を閉じます"},
                 {2, "終了(&Q)", "アプリケーションを終了します"}};
  for (const auto& button : buttons) {
    auto* control = Control<QPushButton>(dlg, button.id);
    EXPECT_EQ(control->text(), QString::fromUtf8(button.text));
    EXPECT_EQ(control->toolTip(), QString::fromUtf8(button.tip)) << button.id;
    EXPECT_TRUE(control->isVisible()) << button.id;
  }
  // Controls outside the table show no tooltip.
  for (int id : {1000, 1001, 1017}) EXPECT_TRUE(Control<QWidget>(dlg, id)->toolTip().isEmpty()) << id;
  EXPECT_TRUE(Control<QPushButton>(dlg, 1)->isDefault());
  EXPECT_EQ(Control<QPushButton>(dlg, 1008)->geometry(), units.Rect(6, 155, 50, 14));
  for (int hidden : {1014, 1015, 1016, 1004}) EXPECT_FALSE(Control<QWidget>(dlg, hidden)->isVisible()) << hidden;
  EXPECT_TRUE(Control<QListWidget>(dlg, 1004)->isSortingEnabled());

  // Both fields show the root, Stopped's enabling, and the three program files here.
  for (int id : {1000, 1001}) EXPECT_EQ(Control<QLineEdit>(dlg, id)->text(), QStringLiteral("/")) << id;
  EXPECT_FALSE(Enabled(dlg, 1007));
  EXPECT_TRUE(Enabled(dlg, 1008));
  EXPECT_EQ(dlg.Paths().g_logPath, m_work / "log.csv");
  EXPECT_EQ(dlg.Paths().g_snapshotPath, m_work / "test2.dat");
  EXPECT_EQ(dlg.Paths().g_logBakPath, m_work / "log_bak.csv");

  auto* list = Control<QTreeWidget>(dlg, 1017);
  const char* headers[] = {"ファイル名", "パス", "バックアップ先"};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(list->headerItem()->text(column), QString::fromUtf8(headers[column]));
    EXPECT_EQ(list->columnWidth(column), (column ? 3 : 1) * list->width() / 7) << column;
  }
  EXPECT_TRUE(dlg.isVisible());
}

TEST_F(MonitorDlgTest, SavedPositionAndWidthsComeBackAndBadOnesStillOpenOnScreen) {
  Settings saved;
  saved.LEFT = 30, saved.TOP = 40, saved.RIGHT = 530, saved.BOTTOM = 340;
  saved.COLUMNX1 = 50, saved.COLUMNX2 = 0, saved.COLUMNX3 = 70;
  StoreSettings(saved);
  CMonitorDlg& dlg = Open();
  EXPECT_EQ(dlg.frameGeometry().topLeft(), QPoint(30, 40));
  auto* list = Control<QTreeWidget>(dlg, 1017);
  EXPECT_EQ(list->columnWidth(0), 50);
  EXPECT_EQ(list->columnWidth(1), 0);  // used as it stands
  EXPECT_EQ(list->columnWidth(2), 70);

  saved.LEFT = -20000, saved.TOP = 90000, saved.RIGHT = -19500, saved.BOTTOM = 90300;
  saved.COLUMNX1 = 50, saved.COLUMNX2 = -8, saved.COLUMNX3 = 70;
  saved.LEVEL = 0;
  StoreSettings(saved);
  CMonitorDlg& again = Open();
  EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(again.frameGeometry()));
  list = Control<QTreeWidget>(again, 1017);
  EXPECT_EQ(list->columnWidth(1), 3 * list->width() / 7);
  // LEVEL 0 still starts.
  TypeFolders(m_watch, m_backup);
  Press(1008);
  EXPECT_TRUE(again.Session().IsRunning());
}

TEST_F(MonitorDlgTest, NoticesNeverWaitForAnAnswer) {
  CMonitorDlg& dlg = Open();
  dlg.ShowNotice("stopped");  // no icon to speak from
  EXPECT_EQ(ui::MessageBox::TakeShownTexts(), std::vector<std::string>{"stopped"});
  TypeFolders(m_watch, m_backup);
  Press(1008);
  dlg.ShowNotice("running");
  EXPECT_EQ(m_tray->balloons, std::vector<std::string>{"running"});
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
}

TEST_F(MonitorDlgTest, StartFromTheButtonHidesToOneTrayIconAndSwitchesTheControls) {
  CMonitorDlg& dlg = Open();
  TypeFolders(m_watch, m_backup);
  Press(1008);
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(m_tray->shown);
  EXPECT_TRUE(dlg.Session().IsRunning());
  for (int id : kStoppedOnly) EXPECT_FALSE(Enabled(dlg, id)) << id;
  for (int id : kAlwaysOn) EXPECT_TRUE(Enabled(dlg, id)) << id;
  EXPECT_TRUE(Enabled(dlg, 1007));
  EXPECT_TRUE(dlg.isEnabled());  // the progress window let it go

  // Right press shows the window; the icon stays.
  m_tray->Notify(ui::TrayIcon::kRightButtonDown);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_TRUE(m_tray->shown);
  Press(1007);
  EXPECT_FALSE(dlg.Session().IsRunning());
  for (int id : kStoppedOnly) EXPECT_TRUE(Enabled(dlg, id)) << id;
  for (int id : kAlwaysOn) EXPECT_TRUE(Enabled(dlg, id)) << id;
  EXPECT_FALSE(Enabled(dlg, 1007));
  EXPECT_TRUE(dlg.isVisible());  // Stop does not hide or remove anything
  EXPECT_TRUE(m_tray->shown);

  // Close and Start again and again: still one icon.
  Press(1);
  m_tray->Notify(ui::TrayIcon::kRightButtonDown);
  Press(1008);
  m_tray->Notify(ui::TrayIcon::kRightButtonDown);
  Press(1);
  EXPECT_EQ(m_tray->adds, 1);
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MonitorDlgTest, TrayMenuOffersWhatTheStateAllowsAndStartsWhileHidden) {
  StoreSettings(Settings{m_watch, m_backup});
  CMonitorDlg& dlg = Open();
  Press(1);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(PickFromTrayMenu(0), (std::vector<int>{CMonitorDlg::kTrayStart, CMonitorDlg::kTrayQuit}));

  PickFromTrayMenu(CMonitorDlg::kTrayStart);
  EXPECT_TRUE(dlg.Session().IsRunning());
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(PickFromTrayMenu(0), (std::vector<int>{CMonitorDlg::kTrayStop, CMonitorDlg::kTrayQuit}));

  PickFromTrayMenu(CMonitorDlg::kTrayStop);
  EXPECT_FALSE(dlg.Session().IsRunning());
  EXPECT_TRUE(Enabled(dlg, 1008));
  EXPECT_TRUE(m_tray->shown);
  // Double clicks and other buttons do nothing; neither does another icon's press.
  m_tray->Notify(ui::TrayIcon::kLeftButtonDoubleClick);
  dlg.OnTrayNotify(2, ui::TrayIcon::kRightButtonDown);
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(MonitorDlgTest, RefusedOrCancelledStartLeavesEverythingAsItWas) {
  CMonitorDlg& dlg = Open();
  auto expectStopped = [&](const std::string& what) {
    EXPECT_TRUE(dlg.isVisible()) << what;
    EXPECT_TRUE(dlg.isEnabled()) << what;
    EXPECT_TRUE(Enabled(dlg, 1008)) << what;
    EXPECT_FALSE(Enabled(dlg, 1007)) << what;
    EXPECT_FALSE(m_tray->shown) << what;
    EXPECT_FALSE(dlg.Session().IsRunning()) << what;
  };
  for (const auto& [watch, backup] : std::vector<std::pair<std::string, std::string>>{{m_watch, ""},
                                                                                      {"", m_backup},
                                                                                      {"relative/x", m_backup},
                                                                                      {m_watch + "/", m_backup},
                                                                                      {m_work / "missing", m_backup},
                                                                                      {m_watch, m_work / "\xff\xfe"}}) {
    TypeFolders(watch, backup);
    Press(1008);
    const Texts shown = ui::MessageBox::TakeShownTexts();
    ASSERT_FALSE(shown.empty()) << watch << " | " << backup;
    EXPECT_EQ(shown.back(), kCheckFolders);
    expectStopped(watch + " | " + backup);
  }

  // A pair that passes its check is sized next: Esc in the progress window ends that walk, and
  // the cancelled Start changes nothing either.
  for (const char* sub : {"watched/s1", "watched/s2", "watched/s3"}) m_work.MakeFolder(sub);
  QTimer esc;
  bool escSent = false;
  QObject::connect(&esc, &QTimer::timeout, [&] {
    if (!dlg.Progress() || !dlg.Progress()->Window()) return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg.Progress()->Window(), &press);
    escSent = true;
    esc.stop();
  });
  esc.start(0);
  TypeFolders(m_watch, m_backup);
  Press(1008);
  esc.stop();
  EXPECT_TRUE(escSent);
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
  EXPECT_EQ(dlg.Progress(), nullptr);
  expectStopped("cancelled");
}

TEST_F(MonitorDlgTest, FolderNamesThatAreNotUtf8ReachStartUnchanged) {
  const std::string backup = m_work.MakeFolder("b\xff\xfe");
  StoreSettings(Settings{m_watch, backup});
  CMonitorDlg& dlg = Open();
  Press(1008);
  EXPECT_TRUE(ui::MessageBox::TakeShownTexts().empty());
  EXPECT_TRUE(dlg.Session().IsRunning());
  EXPECT_EQ(dlg.CurrentSettings().DIR2, backup);
}

TEST_F(MonitorDlgTest, WithoutNotificationAreaCloseAndStartMinimise) {
  m_tray->available = false;
  CMonitorDlg& dlg = Open();
  Press(1);
  EXPECT_TRUE(dlg.isMinimized());
  EXPECT_TRUE(dlg.isVisible());
  dlg.showNormal();
  TypeFolders(m_watch, m_backup);
  Press(1008);
  EXPECT_TRUE(dlg.Session().IsRunning());
  EXPECT_TRUE(dlg.isMinimized());
  EXPECT_FALSE(m_tray->shown);
}

TEST_F(MonitorDlgTest, EnterInAFieldClosesToTheTrayAndOnAButtonPressesIt) {
  CMonitorDlg& dlg = Open();
  TypeFolders(m_watch, m_backup);
  auto* edit = Control<QLineEdit>(dlg, 1000);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_TRUE(m_tray->shown);
  EXPECT_FALSE(dlg.Session().IsRunning());
  EXPECT_EQ(dlg.result(), 0);

  // Stop leaves the focus on Start, so Enter starts again.
  m_tray->Notify(ui::TrayIcon::kRightButtonDown);
  Press(1008);
  m_tray->Notify(ui::TrayIcon::kRightButtonDown);
  Press(1007);
  ASSERT_EQ(dlg.focusWidget(), Control<QWidget>(dlg, 1008));
  QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(dlg.Session().IsRunning());

  // Enter on a focused Quit quits rather than closing to the tray.
  m_tray->Notify(ui::TrayIcon::kRightButtonDown);
  Control<QWidget>(dlg, 2)->setFocus();
  QTest::keyClick(dlg.focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(dlg.Session().IsRunning());
  EXPECT_EQ(m_store.Load().DIR1, m_watch);  // Quit saved the settings
}

TEST_F(MonitorDlgTest, SlashSAfterTheNameStartsBeforeTheSplash) {
  // A watched tree above the limit makes Start ask; the question shows while Start runs.
  std::filesystem::resize_file(m_work.Write("watched/big.bin", ""), kLargeFolderBytes + 1);
  StoreSettings(Settings{m_watch, m_backup});
  ui::CSplashWnd::EnableSplash(true);
  ui::MessageBox::AnswerWithoutShowing(false);
  bool asked = false;
  bool splashWhileStarting = true;
  WhenModalShows([&](QWidget& up) {
    auto* box = qobject_cast<QMessageBox*>(&up);
    ASSERT_NE(box, nullptr);
    asked = true;
    splashWhileStarting = ui::CSplashWnd::Current() != nullptr;
    box->button(QMessageBox::Ok)->click();
  });
  CMonitorDlg& dlg = Open({"/S"});
  ui::MessageBox::AnswerWithoutShowing(true);
  EXPECT_TRUE(asked);
  EXPECT_FALSE(splashWhileStarting);
  EXPECT_TRUE(dlg.m_bAutoStart);
  EXPECT_TRUE(dlg.Session().IsRunning());
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_NE(ui::CSplashWnd::Current(), nullptr);
  ui::CSplashWnd::HideSplash();

  m_dlg.reset();
  CMonitorDlg& lower = Open({"/s"});
  EXPECT_FALSE(lower.m_bAutoStart);
  EXPECT_FALSE(lower.Session().IsRunning());
  EXPECT_TRUE(lower.isVisible());
}

TEST_F(MonitorDlgTest, HelpOpensTheRelativePageOfTheCurrentDirectory) {
  UrlCatcher desktop;
  Open();
  const TempDir elsewhere;
  elsewhere.Write("help/main.htm", "<html></html>");
  std::filesystem::current_path(elsewhere.path());
  Press(1009);
  ASSERT_EQ(desktop.urls.size(), 1u);
  EXPECT_EQ(desktop.urls[0].toLocalFile().toStdString(), elsewhere / "help/main.htm");
}

}  // namespace
}  // namespace talvenor::test
