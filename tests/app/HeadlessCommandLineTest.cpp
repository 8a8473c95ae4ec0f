// The terminal command line, the terminal user interface and the statuses that need no engine.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "app/CommandLine.h"
#include "app/Headless.h"
#include "app/TerminalUi.h"
#include "app/TranslatedUi.h"
#include "app/Translation.h"
#include "support/TempDir.h"

namespace talvenor {
namespace {

CommandLine Parsed(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  EXPECT_TRUE(ParseCommandLine(args, line, error)) << error;
  return line;
}

std::string ErrorFor(const std::vector<std::string>& args) {
  CommandLine line;
  std::string error;
  EXPECT_FALSE(ParseCommandLine(args, line, error));
  return error;
}

TEST(HeadlessCommandLine, TakesTheOptionsInEitherForm) {
  const CommandLine line = Parsed({"--headless", "--once", "--watch", "/w dir", "--backup=/b=x"});
  EXPECT_TRUE(line.headless);
  EXPECT_TRUE(line.once);
  EXPECT_EQ(line.watch, "/w dir");
  EXPECT_EQ(line.backup, "/b=x");
  EXPECT_FALSE(Parsed({"--headless"}).watch.has_value());
  EXPECT_TRUE(Parsed({"--help"}).help);
  EXPECT_TRUE(Parsed({"--version"}).version);
}

TEST(HeadlessCommandLine, RefusesWhatItDoesNotKnow) {
  EXPECT_NE(ErrorFor({"--headless", "--watch"}).find("--watch"), std::string::npos);
  EXPECT_NE(ErrorFor({"--headless", "/S"}).find("/S"), std::string::npos);
  EXPECT_NE(ErrorFor({"--once"}).find("--headless"), std::string::npos);
  EXPECT_FALSE(ErrorFor({"--watch=/x"}).empty());
}

// Both modes read the whole line before anything starts; every word is ours, the window's or Qt's.
TEST(HeadlessCommandLine, SortsEveryWordOrRefusesTheLine) {
  struct Case {
    std::vector<std::string> args;
    bool accepted;
    std::string watch = "";
    std::string stateDir = "";
    std::vector<std::string> windowArgs = {};
  };
  const Case cases[] = {
      {{"--bogus"}, false},
      {{"--headles"}, false},
      {{"stray"}, false},
      {{"-platform"}, false},
      {{"--headless", "-platform", "offscreen"}, false},
      {{"--state-dir"}, false},
      {{"--state-dir="}, false},
      {{"--state-dir", "/a", "--xdg-state"}, false},
      {{"/S", "--state-dir", "/Srv"}, true, "", "/Srv", {"/S"}},
      {{"-platform", "offscreen", "--style=Fusion", "-EMBEDDING"},
       true,
       "",
       "",
       {"-platform", "offscreen", "--style=Fusion", "-EMBEDDING"}},
      {{"--headless", "--watch", "/w/", "--state-dir=s"}, true, "/w", "s"},
      {{"--headless", "--watch=/w//"}, true, "/w"},
      {{"--headless", "--watch", "/"}, true, "/"},
      {{"--versions", "a.txt", "--backup=/b", "--xdg-state"}, true},
      {{"--versions=", "--backup", "/b"}, false},
      {{"--versions", "a.txt", "--headless"}, false},
      {{"--versions", "a.txt", "/S"}, false},
      {{"--backup", "/b"}, false},
  };
  for (const Case& c : cases) {
    CommandLine line;
    std::string error;
    const std::string words = testing::PrintToString(c.args);
    ASSERT_EQ(ParseCommandLine(c.args, line, error), c.accepted) << words;
    if (!c.accepted) continue;
    EXPECT_EQ(line.watch.value_or(""), c.watch) << words;
    EXPECT_EQ(line.stateDir.value_or(""), c.stateDir) << words;
    EXPECT_EQ(line.windowArgs, c.windowArgs) << words;
  }
}

int RunWith(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  return RunHeadless(static_cast<int>(argv.size()), argv.data());
}

TEST(HeadlessCommandLine, HelpVersionAndUsageErrors) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunWith({"talvenor", "--help"}), kExitDone);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("--headless [--once]"), std::string::npos);
  testing::internal::CaptureStdout();
  EXPECT_EQ(RunWith({"talvenor", "--version"}), kExitDone);
  // The build's own version: the commit's time and hash follow the base version in a checkout.
  const std::string version = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(std::regex_match(version, std::regex("talvenor 1\\.0\\.0(\\+git[0-9]{8}\\.[0-9]{6}\\.[0-9a-f]{7,})?\n")))
      << version;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunWith({"talvenor", "--headless", "--bogus"}), kExitUsage);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("talvenor: unexpected argument: --bogus\nUsage:", 0), 0u) << err;
}

// The engine's Japanese texts reach the terminal in the chosen language (the headless run wraps
// its terminal in the translating port); log lines stay as written.
TEST(HeadlessTerminalUi, MessagesGoToStandardErrorAndLogLinesToStandardOutput) {
  const struct {
    Language language;
    const char* err;
  } cases[] = {
      {Language::Japanese,
       "talvenor: 監視先とバックアップ先を確認してください\n"
       "talvenor: このフォルダのサイズが大き過ぎます。続けますか？\n"
       "talvenor: ディレクトリの削除ができません/b/20240101000000.0\n"},
      {Language::English,
       "talvenor: Check the watched folder and the backup folder.\n"
       "talvenor: This folder is very large. Continue?\n"
       "talvenor: Cannot delete the folder /b/20240101000000.0\n"},
  };
  for (const auto& c : cases) {
    UseLanguage(c.language);
    test::TempDir dir;
    std::FILE* out = std::fopen((dir / "out").c_str(), "w+");
    std::FILE* err = std::fopen((dir / "err").c_str(), "w+");
    ASSERT_TRUE(out && err);
    {
      TerminalUi terminal(out, err);
      TranslatedUi ui(terminal);
      ui.ShowMessage("監視先とバックアップ先を確認してください", MessageIcon::None);
      EXPECT_TRUE(ui.AskOkCancel("このフォルダのサイズが大き過ぎます。続けますか？", MessageIcon::Warning));
      ui.ShowNotice("ディレクトリの削除ができません/b/20240101000000.0");
      ui.LogLineWritten("a.txt,/w/a.txt,/b/20240101000000.0/a.txt\r\n");
      ui.InsertRow(0, "a", "b", "c");
      ui.InsertRow(0, "a", "b", "c");
      ui.DeleteRow(1);
      EXPECT_EQ(ui.RowCount(), 1);
      ui.ProgressPump(true);
      EXPECT_FALSE(ui.ProgressCancelRequested());
    }
    std::fclose(out);
    std::fclose(err);
    EXPECT_EQ(test::ReadFile(dir / "err"), c.err);
    EXPECT_EQ(test::ReadFile(dir / "out"), "a.txt,/w/a.txt,/b/20240101000000.0/a.txt\n");
  }
  UseLanguage(Language::Japanese);
}

}  // namespace
}  // namespace talvenor
