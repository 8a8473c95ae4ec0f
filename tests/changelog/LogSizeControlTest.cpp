#include <algorithm>
#include <cerrno>
#include <deque>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>

#include "ChangeLogFixture.h"
#include "core/Messages.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"

namespace talvenor::test {
namespace {

using LogSizeControlTest = ChangeLogFixture;

// n lines of the given length (without CR LF), numbered so each is distinct.
std::vector<std::string> NumberedLines(int n, std::size_t length) {
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) {
    std::string line = "line" + std::to_string(i) + ",";
    line.resize(length, 'x');
    lines.push_back(line);
  }
  return lines;
}

TEST_F(LogSizeControlTest, ExactlyTheLimitIsKeptAndOneByteMoreCutsTheOldestLine) {
  settings.LOGSZ = 1;                  // 1024 bytes
  auto lines = NumberedLines(17, 62);  // 64 bytes each with CR LF: 16 make exactly 1024
  for (int i = 0; i < 16; ++i) log.AppendLogLine(paths.g_logPath, lines[i]);
  EXPECT_EQ(1024u, LogText().size());
  EXPECT_EQ(Lines({lines.begin(), lines.begin() + 16}), ViewedText());

  log.AppendLogLine(paths.g_logPath, lines[16]);
  EXPECT_EQ(Lines(lines, 1), ViewedText());
  log.Close();
  EXPECT_EQ(Lines(lines, 1), LogText());
}

// A line of any length is found by one read through it: searching all that was read again
// after every chunk took minutes and as much memory as the line.
TEST_F(LogSizeControlTest, LineAloneLargerThanTheLimitEvenAHugeOneGoesAtTheNextLine) {
  settings.LOGSZ = 1;
  for (std::uintmax_t size : {std::uintmax_t{2000}, std::uintmax_t{256} << 20}) {
    const std::string path = tmp.Write("log.csv", "");
    std::filesystem::resize_file(path, size);  // sparse: a line of NUL bytes
    std::ofstream(path, std::ios::app | std::ios::binary) << "\r\n";
    log.AppendLogLine(paths.g_logPath, "next");
    log.Close();
    EXPECT_EQ("next\r\n", LogText()) << size;
  }
  EXPECT_TRUE(ui.messages.empty());
}

// The size rule done literally: after every line, one oldest line goes while the file is
// above the limit. The log must read the same after every line, however it gets there.
TEST_F(LogSizeControlTest, ReadsAsTheOneLinePerAppendRuleAfterEveryLine) {
  std::mt19937 random(7);
  std::deque<std::string> model;
  std::size_t modelSize = 0;
  settings.LOGSZ = 8;
  for (int i = 0; i < 6000; ++i) {
    if (i == 3000) settings.LOGSZ = 2;  // lowered: the log keeps about its size from here
    std::string line = std::to_string(i) + ":";
    line.resize(line.size() + random() % 200, static_cast<char>('a' + i % 26));
    log.AppendLogLine(paths.g_logPath, line);
    model.push_back(line + "\r\n");
    modelSize += model.back().size();
    if (modelSize > static_cast<std::size_t>(settings.LOGSZ) * 1024) {
      modelSize -= model.front().size();
      model.pop_front();
    }
    if (i % 157 == 0 || i == 5999) {
      std::string expected;
      for (const auto& m : model) expected += m;
      ASSERT_EQ(expected, ViewedText()) << "after line " << i;
      // On disk between rewrites: only lines the rule already cut come before it.
      const std::string disk = LogText();
      ASSERT_GE(disk.size(), expected.size());
      const std::string head = disk.substr(0, disk.size() - expected.size());
      ASSERT_EQ(expected, disk.substr(head.size()));
      ASSERT_TRUE(head.empty() || head.ends_with("\r\n"));
      // At the end of a pass the file itself holds just that.
      log.EndPass();
      ASSERT_EQ(expected, LogText()) << "after line " << i;
    }
  }
  log.Close();
  EXPECT_EQ(std::accumulate(model.begin(), model.end(), std::string()), LogText());
  EXPECT_TRUE(ui.messages.empty());
}

// A crash before cut lines were written away, or a lowered limit, leaves a log above its
// limit; the one-line rule alone would keep it there for good.
TEST_F(LogSizeControlTest, ALogAboveItsLimitWhenAPassBeginsIsBroughtDownToIt) {
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    std::size_t keptFrom;
    bool held;  // open since an earlier pass, when the limit was higher
  };
  const auto even = NumberedLines(40, 62);  // 64 bytes each with CR LF
  auto lastTooLong = NumberedLines(3, 62);
  lastTooLong.back().resize(2000, 'y');
  const std::vector<Case> cases = {
      {"left by a crash", even, 24, false},
      {"limit lowered while held", even, 24, true},
      {"exactly the limit", {even.begin(), even.begin() + 16}, 0, false},
      {"one line over", NumberedLines(11, 98), 1, false},
      {"newest line alone too long", lastTooLong, 3, false},
  };
  for (const Case& c : cases) {
    log.Close();
    tmp.Write("log.csv", Lines(c.lines));
    if (c.held) log.OpenOrTerminate(paths.g_logPath);
    settings.LOGSZ = 1;
    log.BeginPass();
    EXPECT_EQ(Lines(c.lines, c.keptFrom), LogText()) << c.what;
    log.EndPass();
    EXPECT_EQ(Lines(c.lines, c.keptFrom), LogText()) << c.what;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LogSizeControlTest, StaleTemporaryIsHarmlessAndTheLockIsNeverLetGo) {
  settings.LOGSZ = 1;
  auto lines = NumberedLines(200, 998);  // 1000 bytes each
  tmp.Write("log.csv", Lines(lines));
  tmp.Write("log.csv.tmp", "left by a crash");
  for (int i = 0; i < 70; ++i) {
    lines.push_back("new" + std::to_string(i));
    log.AppendLogLine(paths.g_logPath, lines.back());
  }
  // Enough was cut for the trimmed log to have been written: the file holds no cut line.
  EXPECT_LT(LogText().size(), 200u * 1000u);
  EXPECT_FALSE(platform::PathExists(paths.g_logPath + ".tmp"));
  platform::LockedFile other;
  EXPECT_FALSE(other.Open(paths.g_logPath, platform::LockedFile::Mode::ReadWriteExisting));
  EXPECT_EQ(EWOULDBLOCK, errno);
  log.Close();
  EXPECT_EQ(Lines(lines, 70), LogText());
}

TEST_F(LogSizeControlTest, FailedTrimIsReportedLosesNothingAndTheNextLineReopens) {
  settings.LOGSZ = 1;
  auto lines = NumberedLines(200, 998);
  tmp.Write("log.csv", Lines(lines));
  tmp.Write("log.csv.tmp/blocker", "a folder where the temporary goes");
  int appended = 0;
  while (ui.messages.empty() && appended < 200) {
    lines.push_back("new" + std::to_string(appended++));
    log.AppendLogLine(paths.g_logPath, lines.back());
  }
  ASSERT_EQ(std::vector<std::string>{msg::kLogSizeControl}, ui.messages);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(Lines(lines), LogText());  // every record still there

  lines.push_back("after");
  log.AppendLogLine(paths.g_logPath, lines.back());
  EXPECT_TRUE(log.IsOpen());
  EXPECT_TRUE(LogText().ends_with("after\r\n"));
}

// Where the trim cannot be made, the user hears of it whenever a pass begins or ends above
// the limit, even when the pass cut too little for a rewrite of its own.
TEST_F(LogSizeControlTest, ATrimThatCannotBeMadeAtTheEdgesOfAPassIsReported) {
  settings.LOGSZ = 1;
  tmp.Write("log.csv.tmp/blocker", "a folder where the temporary goes");
  const auto lines = NumberedLines(40, 62);
  tmp.Write("log.csv", Lines(lines));
  log.BeginPass();
  EXPECT_EQ(std::vector<std::string>{msg::kLogSizeControl}, ui.messages);
  EXPECT_EQ(Lines(lines), LogText());

  ui.messages.clear();
  tmp.Write("log.csv", Lines({lines.begin(), lines.begin() + 16}));  // exactly the limit
  log.BeginPass();
  log.AppendLogLine(paths.g_logPath, lines[16]);
  EXPECT_TRUE(ui.messages.empty());
  log.EndPass();
  EXPECT_EQ(std::vector<std::string>{msg::kLogSizeControl}, ui.messages);
  EXPECT_EQ(Lines({lines.begin(), lines.begin() + 17}), LogText());
}

TEST_F(LogSizeControlTest, ViewingCopyWithAndWithoutALog) {
  tmp.Write("log_bak.csv", "older copy");
  log.CopyLogForViewing(paths.g_logPath);  // no log: the older copy stays
  EXPECT_EQ("older copy", ReadFile(paths.g_logBakPath));
  EXPECT_FALSE(log.IsOpen());

  tmp.Write("log.csv", "a\r\n");
  log.CopyLogForViewing(paths.g_logPath);
  EXPECT_EQ("a\r\n", ReadFile(paths.g_logBakPath));
  EXPECT_FALSE(log.IsOpen());

  log.AppendLogLine(paths.g_logPath, "b");
  log.CopyLogForViewing(paths.g_logPath);
  EXPECT_EQ("a\r\nb\r\n", ReadFile(paths.g_logBakPath));
  EXPECT_TRUE(log.IsOpen());
}

// Where the system's spreadsheet needs a byte-order mark to read UTF-8, the log begins with
// it: once, whichever way the size rule last rewrote the file, and never counted as a line.
TEST_F(LogSizeControlTest, TheMarkALogBeginsWithSurvivesEveryTrim) {
  const std::string mark = "\xEF\xBB\xBF";
  const auto lines = NumberedLines(40, 62);  // 64 bytes each with CR LF
  // The log as read through file, if it is the mark and then the newest whole lines up to
  // `newest`, no more than the limit; else a failure.
  const auto expectMarkedTail = [&](const std::string& text, std::size_t newest, const char* what) {
    ASSERT_TRUE(text.starts_with(mark)) << what;
    const std::string body = text.substr(mark.size());
    const std::size_t kept = body.size() / 64;
    ASSERT_GE(newest, kept) << what;
    EXPECT_EQ(Lines({lines.begin() + static_cast<long>(newest - kept), lines.begin() + static_cast<long>(newest)}),
              body)
        << what;
    EXPECT_LE(body.size(), 1024u) << what;
    EXPECT_GE(kept, std::min<std::size_t>(newest, 15)) << what;
  };
  const struct {
    const char* what;
    bool viewed;     // read through the viewing copy while held, else after Close
    bool passBegin;  // written with a higher limit, brought down when a pass begins
  } ways[] = {
      {"cut line by line, viewed", true, false},
      {"cut line by line, closed", false, false},
      {"brought down at a pass", false, true},
  };
  for (const auto& way : ways) {
    tmp.Write("log.csv", "");
    std::filesystem::remove(paths.g_logPath);
    ChangeLog marked{paths, settings, ui, mark};
    settings.LOGSZ = way.passBegin ? 4 : 1;
    marked.AppendLogLine(paths.g_logPath, lines[0]);
    EXPECT_EQ(mark + Lines({lines[0]}), LogText()) << way.what;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      marked.AppendLogLine(paths.g_logPath, lines[i]);
      if (way.viewed) {
        marked.CopyLogForViewing(paths.g_logPath);
        expectMarkedTail(ReadFile(paths.g_logBakPath), i + 1, way.what);
      }
    }
    if (way.passBegin) {
      settings.LOGSZ = 1;
      marked.BeginPass();
      marked.EndPass();
    }
    marked.Close();
    expectMarkedTail(LogText(), lines.size(), way.what);
  }
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace talvenor::test
