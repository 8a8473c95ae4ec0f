// The main window's behaviour without a window: a recording face stands in for the Qt and the
// Win32 windows, on real folders, with a session of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>

#include "app/CommandIds.h"
#include "app/EngineText.h"
#include "app/MonitorCommands.h"
#include "app/SettingsStore.h"
#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "support/TempDir.h"

namespace talvenor::test {
namespace {

namespace fs = std::filesystem;

// Records what the behaviour asks of the window, in order, and answers from queues.
class RecordingFace : public MainWindowFace {
 public:
  std::vector<std::string> calls;
  std::deque<std::string> folderAnswers;  // next PickFolder answers; cancel when empty
  std::map<int, bool> enabled;
  bool trayAvailable = true;
  bool trayShown = false;
  int menuAnswer = 0;
  std::function<void()> onInsertRow;
  std::function<void()> onProgressPump;

  void ShowMessage(const std::string& text, MessageIcon) override { calls.push_back("message:" + text); }
  bool AskOkCancel(const std::string& text, MessageIcon) override {
    calls.push_back("ask:" + text);
    return true;
  }
  void ShowNotice(const std::string& text) override { calls.push_back("notice-bypassing-commands:" + text); }
  void InsertRow(int, const std::string&, const std::string&, const std::string&) override {
    ++rows;
    if (onInsertRow) onInsertRow();
  }
  void DeleteRow(int) override { --rows; }
  int RowCount() const override { return rows; }
  void ProgressOpen(const std::string&, const std::string&, int, int, int) override {}
  void ProgressStep() override {}
  void ProgressPump(bool) override {
    if (onProgressPump) onProgressPump();
  }
  void ProgressReset() override {}
  bool ProgressCancelRequested() const override { return false; }
  void ProgressClose() override {}
  [[noreturn]] void Terminate(int status) override { std::_Exit(status); }

  void StartTimer(int) override { calls.push_back("timer"); }
  void KillTimer() override { calls.push_back("kill-timer"); }
  void StartSaveTimer(int) override {}
  void KillSaveTimer() override {}
  void PullFolderTexts() override {}
  // The session reaches these through the commands, never through the face.
  void SetRunningControls(bool) override { calls.push_back("controls-bypassing-commands"); }
  void HideToTray() override { calls.push_back("hide-bypassing-commands"); }

  std::string PickFolder(const std::string& initial) override {
    calls.push_back("pick:" + initial);
    if (folderAnswers.empty()) return {};
    const std::string answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
  }
  void RunSettingsDialog(Settings&) override {}
  void ShowAbout() override {}
  void OpenWithDesktop(const std::string& path) override { calls.push_back("open:" + path); }
  std::string PickFileToSave(const std::string&) override { return {}; }
  std::string PickFileToOpen(const std::string&) override { return {}; }
  void EnableControl(int id, bool on) override { enabled[id] = on; }
  void FocusControl(int id) override { calls.push_back("focus:" + std::to_string(id)); }
  void PushFolderTexts() override {}
  void PutPlaceInto(Settings&) override { calls.push_back("place"); }
  void CloseWindow() override { calls.push_back("close"); }
  bool AddTrayIcon() override { return trayShown = trayAvailable; }
  bool TrayIconShown() const override { return trayShown; }
  void HideWindow() override { calls.push_back("hide"); }
  void MinimiseWindow() override { calls.push_back("minimise"); }
  void ShowNormal() override { calls.push_back("show"); }
  void ShowBalloon(const std::string& text) override { calls.push_back("balloon:" + text); }
  void ShowWithoutWaiting(const std::string& text) override { calls.push_back("box:" + text); }
  int ShowTrayMenu(bool start, bool stop) override {
    calls.push_back(std::string("menu:") + (start ? "start" : "-") + "," + (stop ? "stop" : "-"));
    return menuAnswer;
  }
  std::string HelpPage() override { return "help/main.htm"; }
  std::string InstalledHelpFolder() override { return {}; }
  std::string WriteBuiltInHelp(const std::string&) override { return {}; }

 private:
  int rows = 0;
};

class MonitorCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (m_work / "config").c_str(), 1);
    UseLanguage(Language::Japanese);
    m_previousFolder = fs::current_path();
    fs::current_path(m_work.MakeFolder("home"));
    m_settings.DIR1 = m_work.MakeFolder("watched");
    m_settings.DIR2 = m_work.MakeFolder("backup");
    m_commands.OpenSession();
  }
  void TearDown() override { fs::current_path(m_previousFolder); }
  std::string SnapshotFile() const { return m_commands.Paths().g_snapshotPath; }
  void Start() {
    m_commands.OnCommand(command::kStart);
    ASSERT_TRUE(m_commands.Session().IsRunning());
    m_face.calls.clear();
  }

  TempDir m_work;
  fs::path m_previousFolder;
  RecordingFace m_face;
  Settings m_settings;
  SettingsStore m_store{"talvenor"};
  MonitorCommands m_commands{m_face, m_settings, m_store};
};

TEST_F(MonitorCommandsTest, BrowseAsksAgainOnARefusedPairAndOnlyANewWatchedFolderDropsTheSnapshot) {
  const std::string other = m_work.MakeFolder("other");
  const struct {
    const char* what;
    int command;
    std::vector<std::string> answers;
    bool snapshotKept;
    std::string watched, backup;
  } cases[] = {
      {"cancel keeps", command::kBrowseWatch, {}, true, "watched", "backup"},
      {"the same folder", command::kBrowseWatch, {"watched"}, true, "watched", "backup"},
      {"refused, then another", command::kBrowseWatch, {"backup", "other"}, false, "other", "backup"},
      {"another backup folder", command::kBrowseBackup, {"other"}, true, "watched", "other"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_settings.DIR1 = m_work / "watched";
    m_settings.DIR2 = m_work / "backup";
    m_work.Write("home/test2.dat", "");
    for (const std::string& answer : c.answers) m_face.folderAnswers.push_back(m_work / answer);
    m_face.calls.clear();
    m_commands.OnCommand(c.command);
    EXPECT_EQ(m_face.calls.front(), "pick:" + (m_work / (c.command == command::kBrowseWatch ? "watched" : "backup")));
    // A refused pair opens the picker again at the same folder.
    EXPECT_EQ(std::count(m_face.calls.begin(), m_face.calls.end(), m_face.calls.front()),
              std::max<std::ptrdiff_t>(1, static_cast<std::ptrdiff_t>(c.answers.size())));
    EXPECT_EQ(fs::exists(SnapshotFile()), c.snapshotKept);
    EXPECT_EQ(m_settings.DIR1, m_work / c.watched);
    EXPECT_EQ(m_settings.DIR2, m_work / c.backup);
  }
}

// The tray menu offers what the session's own state allows; notices speak from the icon when it
// is there and otherwise open a box that does not wait.
TEST_F(MonitorCommandsTest, TrayMenuFollowsTheSessionAndNoticesTakeTheIconOrABox) {
  const std::string notice = msg::Format(msg::kFilesLeftForNextPass, {"3"});
  m_commands.OnTrayNotify(command::kTrayIconId, command::kTrayLeftButtonDown);
  m_commands.EngineUi().ShowNotice(notice);
  EXPECT_EQ(m_face.calls, (std::vector<std::string>{"menu:start,-", "box:" + notice}));

  Start();
  EXPECT_FALSE(m_face.enabled[command::kStart]);
  EXPECT_FALSE(m_face.enabled[command::kWatchDir]);
  EXPECT_TRUE(m_face.enabled[command::kStop]);
  m_face.menuAnswer = command::kTrayStop;
  m_commands.OnTrayNotify(command::kTrayIconId, command::kTrayLeftButtonDown);
  m_commands.EngineUi().ShowNotice(notice);
  m_commands.OnTrayNotify(command::kTrayIconId, command::kTrayRightButtonDown);
  m_commands.OnTrayNotify(command::kTrayIconId + 1, command::kTrayRightButtonDown);
  EXPECT_EQ(m_face.calls,
            (std::vector<std::string>{"menu:-,stop", "focus:1008", "kill-timer", "balloon:" + notice, "show"}));
  EXPECT_FALSE(m_commands.Session().IsRunning());
  EXPECT_TRUE(m_face.enabled[command::kStart]);
  EXPECT_FALSE(m_face.enabled[command::kStop]);

  // Without a notification area Close only minimises, and notices open boxes.
  m_face.trayShown = m_face.trayAvailable = false;
  m_face.calls.clear();
  m_commands.OnCommand(command::kClose);
  m_commands.EngineUi().ShowNotice(notice);
  EXPECT_EQ(m_face.calls, (std::vector<std::string>{"minimise", "box:" + notice}));
}

// Quit is refused while Start checks; chosen while a pass copies, it waits for the file in
// progress, then tells what was left and ends everything in order, closing nothing under the pass.
TEST_F(MonitorCommandsTest, QuitWhileStartChecksIsRefusedAndDuringAPassFollowsItInOrder) {
  // While Start's checks let input through, its progress window owns the run.
  for (int i = 0; i < 5; ++i) m_work.MakeFolder("watched/sub" + std::to_string(i));
  int tried = 0;
  m_face.onProgressPump = [&] {
    ++tried;
    m_commands.OnCommand(command::kQuit);
  };
  Start();
  m_face.onProgressPump = nullptr;
  EXPECT_GT(tried, 0);
  EXPECT_FALSE(m_commands.IsQuitting());

  for (int i = 0; i < 20; ++i) m_work.Write("watched/f" + std::to_string(i), "x");
  m_commands.Session().SetWholeScanInterval(std::chrono::seconds(0));
  bool closedUnderThePass = false;
  m_face.onInsertRow = [&] {
    m_commands.OnCommand(command::kTrayQuit);
    m_commands.OnCommand(command::kQuit);  // chosen again while it waits: still once
    closedUnderThePass = closedUnderThePass || m_commands.IsQuitting();
  };
  testing::internal::CaptureStderr();
  m_commands.OnTick();
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(closedUnderThePass);
  const int left = m_commands.Session().Detector().LastLeftCount();
  ASSERT_GT(left, 0);
  EXPECT_EQ(m_face.calls,
            (std::vector<std::string>{"kill-timer",
                                      "message:" + msg::Format(msg::kFilesLeftForNextPass, {std::to_string(left)}),
                                      "place", "kill-timer", "close"}));
  EXPECT_TRUE(m_commands.IsQuitting());
  EXPECT_FALSE(m_commands.Session().Log().IsOpen());
  EXPECT_EQ(SettingsStore("talvenor").Load().DIR1, m_work / "watched");
  m_commands.Quit();  // once only
  EXPECT_EQ(std::count(m_face.calls.begin(), m_face.calls.end(), "close"), 1);
}

}  // namespace
}  // namespace talvenor::test
