#include <cerrno>
#include <filesystem>

#include "ChangeLogFixture.h"
#include "core/Messages.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"
#include "support/PermissionsInForce.h"

namespace talvenor::test {
namespace {

using ChangeLogWriterTest = ChangeLogFixture;
using platform::LockedFile;

TEST_F(ChangeLogWriterTest, TwoFilePassWritesFourExactLinesAndRows) {
  const std::string gen = "20120917143005.0";
  log.LogPassMarker(gen, "<END>");
  log.LogChange("report.txt", "/data/", "/bk/" + gen + "/report.txt");
  log.LogChange("data.csv", "/data/sub/", "/bk/" + gen + "/data.csv");
  log.LogPassMarker(gen, "<START>");

  EXPECT_EQ(
      "<20120917143005.0>\r\n"
      "report.txt,/data/report.txt,/bk/20120917143005.0/report.txt\r\n"
      "data.csv,/data/sub/data.csv,/bk/20120917143005.0/data.csv\r\n"
      "<20120917143005.0>\r\n",
      LogText());
  std::vector<std::string> rows;  // newest first
  for (const auto& row : ui.rows) rows.push_back(row.name + "|" + row.path + "|" + row.destination);
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "<START>|<20120917143005.0>|", "data.csv|/data/sub/data.csv|/bk/20120917143005.0/data.csv",
                      "report.txt|/data/report.txt|/bk/20120917143005.0/report.txt", "<END>|<20120917143005.0>|"}));
  EXPECT_EQ(4u, ui.logLines.size());
  EXPECT_EQ("<20120917143005.0>", ui.logLines.back());
}

TEST_F(ChangeLogWriterTest, The501stRowPushesOutTheOldest) {
  for (int i = 0; i < 501; ++i) log.LogChange("f" + std::to_string(i), "/w/", "");
  ASSERT_EQ(500u, ui.rows.size());
  EXPECT_EQ("f500", ui.rows.front().name);
  EXPECT_EQ("f1", ui.rows.back().name);
  log.LogPassMarker("20120917143005.0", "<START>");
  EXPECT_EQ(500u, ui.rows.size());
  EXPECT_EQ("f2", ui.rows.back().name);
}

TEST_F(ChangeLogWriterTest, FieldsAreUnquotedButLineBreaksInNamesAreEscaped) {
  log.LogChange("a,b.txt", "/w/sub/", "/bk/g/a,b.txt");
  log.LogChange("two\nlines\r.txt", "/w/odd\r\n/", "");
  EXPECT_EQ(
      "a,b.txt,/w/sub/a,b.txt,/bk/g/a,b.txt\r\n"
      "two\u240Alines\u240D.txt,/w/odd\u240D\u240A/two\u240Alines\u240D.txt,\r\n",
      LogText());
  // The list shows the name as it is.
  EXPECT_EQ("two\nlines\r.txt", ui.rows.front().name);
}

TEST_F(ChangeLogWriterTest, ExistingLogIsAppendedToAndAMissingOneCreatedWithoutHeader) {
  tmp.Write("log.csv", "older\r\n");
  log.LogPassMarker("g", "<END>");
  EXPECT_EQ("older\r\n<g>\r\n", LogText());

  log.Close();
  platform::RemoveFile(paths.g_logPath);
  log.LogPassMarker("h", "<END>");
  EXPECT_EQ("<h>\r\n", LogText());
  // Removed while held: begun anew rather than written into the removed file.
  platform::RemoveFile(paths.g_logPath);
  log.LogPassMarker("i", "<END>");
  EXPECT_EQ("<i>\r\n", LogText());
  // Replaced by a rename while held (an editor saving it): the lines go to the new file.
  const std::string edited = tmp.Write("edited.csv", "kept by the user\r\n");
  ASSERT_TRUE(platform::RenameReplace(edited, paths.g_logPath));
  log.LogPassMarker("j", "<END>");
  EXPECT_EQ("kept by the user\r\n<j>\r\n", LogText());
}

TEST_F(ChangeLogWriterTest, LogIsLockedWhileOpen) {
  log.LogPassMarker("g", "<END>");
  LockedFile other;
  EXPECT_FALSE(other.Open(paths.g_logPath, LockedFile::Mode::ReadWriteExisting));
  EXPECT_EQ(EWOULDBLOCK, errno);
  log.Close();
  EXPECT_FALSE(log.IsOpen());
  EXPECT_TRUE(other.Open(paths.g_logPath, LockedFile::Mode::ReadWriteExisting));
}

TEST_F(ChangeLogWriterTest, LogHeldByAnotherProgramOrNotAFileEndsTheRunWithStatus1) {
  tmp.Write("log.csv", "theirs\r\n");
  LockedFile other;
  ASSERT_TRUE(other.Open(paths.g_logPath, LockedFile::Mode::ReadWriteExisting));
  try {
    log.LogPassMarker("g", "<END>");
    FAIL() << "the run went on";
  } catch (const TerminatedForTest& t) {
    EXPECT_EQ(1, t.status);
  }
  EXPECT_EQ(std::vector<std::string>{"ログファイルを開くことも作ることもできません\n" + paths.g_logPath}, ui.messages);
  EXPECT_EQ("theirs\r\n", LogText());
  other.Close();

  // Read-only: never trimmed or replaced behind its protection; the first line ends the run.
  {
    const test::PermissionsInForce permissions;
    settings.LOGSZ = 1;
    const std::string lines(3000, 'x');
    tmp.Write("log.csv", lines + "\r\n");
    std::filesystem::permissions(paths.g_logPath, std::filesystem::perms::owner_read);
    log.BeginPass();
    EXPECT_EQ(lines + "\r\n", LogText());
    EXPECT_THROW(log.LogChange("a", "/w/", ""), TerminatedForTest);
    EXPECT_EQ(lines + "\r\n", LogText());
    std::filesystem::remove(paths.g_logPath);
  }

  // Neither openable nor creatable as a file: the run ends as well.
  std::filesystem::remove(paths.g_logPath);
  tmp.MakeFolder("log.csv");
  EXPECT_THROW(log.LogChange("a", "/w/", ""), TerminatedForTest);
}

TEST_F(ChangeLogWriterTest, FailedWritesAreReportedOnceAndLeaveWholeLines) {
  log.LogPassMarker("g", "<END>");
  {
    const platform::ScopedFaults full({.writeFailsAfterBytes = 0});
    log.LogChange("a", "/w/", "/bk/g/a");
    log.LogChange("b", "/w/", "/bk/g/b");
  }
  EXPECT_EQ(std::vector<std::string>{paths.g_logPath + " へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"}, ui.messages);
  log.LogPassMarker("g", "<START>");
  EXPECT_EQ("<g>\r\n<g>\r\n", LogText());
  EXPECT_EQ(2u, ui.logLines.size());  // only lines that reached the log
}

}  // namespace
}  // namespace talvenor::test
