// Renders every window of the program to PNG files, without a desktop:
//   QT_QPA_PLATFORM=offscreen talvenor_screenshots OUTPUT_FOLDER [ja|en]
// or, with --desktop on an X server with a window manager, pictures of the whole screen, so that
// title bars and the stacking of the windows show (scripts/with-desktop.sh provides one).
// It works in a temporary profile and folder of its own and touches nothing of the user's.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/SettingsStore.h"
#include "app/Translation.h"
#include "core/Messages.h"
#include "detect/MonitorSession.h"
#include "ui/CAboutDlg.h"
#include "ui/CMonitorDlg.h"
#include "ui/CProgressWnd.h"
#include "ui/CSettingsDlg.h"
#include "ui/CSplashWnd.h"
#include "ui/CVersionsDlg.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"
#include "ui/TrayIcon.h"

namespace {

using namespace talvenor;

// The offscreen platform has no notification area; pretend one so Start hides as on a desktop.
class PictureTray : public ui::TrayIcon {
 public:
  bool IsAvailable() const override { return true; }
  void Add() override { m_shown = true; }
  void Remove() override { m_shown = false; }
  bool IsShown() const override { return m_shown; }
  void ShowBalloon(const std::string&, const std::string&) override {}
  void SetToolTip(const QString&) override {}

 private:
  bool m_shown = false;
};

bool g_desktop = false;

// Lets the window manager map, frame and paint the window.
void Settle(QWidget& window) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 3000 && !(window.windowHandle() && window.windowHandle()->isExposed())) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  for (clock.restart(); clock.elapsed() < 300;) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The window alone, or on a desktop the whole screen as the user sees it then.
bool Save(QWidget& window, const QString& folder, const char* name) {
  window.show();
  QApplication::processEvents();
  const QString path = QDir(folder).filePath(QString::fromUtf8(name) + QStringLiteral(".png"));
  bool saved;
  if (g_desktop) {
    Settle(window);
    saved = QProcess::execute(QStringLiteral("import"), {"-window", "root", path}) == 0;
  } else {
    saved = window.grab().save(path);
  }
  std::printf("%s %s\n", saved ? "wrote" : "FAILED", path.toLocal8Bit().constData());
  return saved;
}

void Write(const std::string& path, const std::string& contents) { std::ofstream(path) << contents; }

// Starts with these folders from the Start button and pictures the box Start shows, over its
// progress window, before answering it.
bool SaveBoxOfStart(ui::CMonitorDlg& window, const std::string& watch, const std::string& backup, const QString& folder,
                    const char* name) {
  window.findChild<QLineEdit*>(QStringLiteral("1000"))->setText(QString::fromStdString(watch));
  window.findChild<QLineEdit*>(QStringLiteral("1001"))->setText(QString::fromStdString(backup));
  bool saved = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    poll.stop();
    saved = Save(*box, folder, name);
    box->button(box->button(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok)->click();
  });
  poll.start(20);
  ui::MessageBox::AnswerWithoutShowing(false);
  window.OnCommand(1008);
  ui::MessageBox::AnswerWithoutShowing(true);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string(argv[argc - 1]) == "--desktop") {
    g_desktop = true;
    --argc;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: talvenor_screenshots OUTPUT_FOLDER [ja|en] [--desktop]\n");
    return 2;
  }
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  const std::string root = scratch.path().toStdString();
  setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  UseLanguage(argc == 3 && std::string(argv[2]) == "en" ? Language::English : Language::Japanese);
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(out);
  QDir::setCurrent(scratch.path());
  ui::MessageBox::SetCaption(QStringLiteral("talvenor"));
  ui::MessageBox::AnswerWithoutShowing(true);
  ui::FileDialogs::AnswerWithoutShowing(true);

  QDir().mkpath(scratch.path() + QStringLiteral("/データ/報告書"));
  QDir().mkpath(scratch.path() + QStringLiteral("/バックアップ"));
  Settings settings;
  settings.DIR1 = root + "/データ";
  settings.DIR2 = root + "/バックアップ";
  SettingsStore store("talvenor");
  store.Save(settings);

  bool ok = true;
  ui::CMonitorDlg window(store, {}, std::make_unique<PictureTray>());
  window.OnInitDialog();
  ok &= Save(window, out, "main-stopped");

  window.OnCommand(1008);
  Write(root + "/データ/報告書/週報.txt", "今週の作業\n");
  Write(root + "/データ/見積.csv", "1,2,3\n");
  window.Session().SetChangeSeen(true);
  window.Session().OnMonitorTick();
  ok &= Save(window, out, "main-running");

  // A second version of one file, for the versions window.
  Write(root + "/データ/見積.csv", "1,2,3,4\n");
  window.Session().SetChangeSeen(true);
  window.Session().OnMonitorTick();
  ui::CVersionsDlg versions(&window, root + "/データ/見積.csv", settings.DIR2, root + "/log.csv");
  ok &= Save(versions, out, "versions");
  versions.hide();

  ui::CSettingsDlg settingsDialog(settings, &window);
  ok &= Save(settingsDialog, out, "settings");
  settingsDialog.hide();

  {
    ui::CProgressWnd progress(&window, TranslateEngineText(msg::kFolderSizeTitle), false, nullptr);
    progress.SetRange(0, 20000, 1);
    progress.SetText("%s", TranslateEngineText(msg::kFolderSizeText).c_str());
    progress.SetPos(9000);
    ok &= Save(*progress.Window(), out, "progress");
  }

  ui::CSplashWnd::EnableSplash(true);
  ui::CSplashWnd::ShowSplash(60000, ui::CSplashWnd::kBitmapId, nullptr);
  if (ui::CSplashWnd* splash = ui::CSplashWnd::Current()) ok &= Save(*splash, out, "splash");
  ui::CSplashWnd::HideSplash();

  ui::CAboutDlg about(&window);
  ok &= Save(about, out, "about");
  about.hide();

  window.OnCommand(1007);
  const std::string large = root + "/大きいフォルダ";
  QDir().mkpath(QString::fromStdString(large));
  Write(large + "/ディスク.img", "");
  std::filesystem::resize_file(large + "/ディスク.img", 10'000'001);  // sparse: just over the limit
  ok &= SaveBoxOfStart(window, settings.DIR1, root + "/ない", out, "message");
  ok &= SaveBoxOfStart(window, large, settings.DIR2, out, "question");

  // The folder picker as Browse shows it: Qt's own dialog, in Qt's translation.
  QFileDialog picker(&window, QCoreApplication::translate("talvenor", ui::FileDialogs::kFolderTitle), scratch.path());
  picker.setFileMode(QFileDialog::Directory);
  picker.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  ok &= Save(picker, out, "picker");
  picker.hide();

  window.OnCommand(2);
  return ok ? 0 : 1;
}
