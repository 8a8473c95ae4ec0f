// Paths as Windows writes them, where the engine's own rules think in "/": the file named to
// --versions, and the entries a ".talvenorignore" leaves out.
#include <gtest/gtest.h>

#include "backup/GenerationRecord.h"
#include "backup/VersionList.h"
#include "changelog/LogLineText.h"
#include "detect/IgnoreFile.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace talvenor::test {
namespace {

TEST(Win32Paths, NamedFilesBecomeTheWatchedFoldersForm) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"a.txt", "C:\\u\\w\\a.txt"},
      {"sub/..\\.\\b.txt", "C:\\u\\w\\b.txt"},
      {"..\\..\\..\\a.txt", "C:\\a.txt"},
      {"D:\\w\\x\\..\\a.txt", "D:\\w\\a.txt"},
      {"D:/w//a.txt", "D:\\w\\a.txt"},
      {"\\\\server\\share\\..\\a.txt", "\\\\server\\share\\a.txt"},
      {"\\\\?\\D:\\w\\..\\a.txt", "\\\\?\\D:\\a.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(AbsoluteFilePath(c.path, "C:\\u\\w"), c.expected) << c.path;
}

TEST(Win32Paths, IgnorePatternsReadBackslashedPaths) {
  TempDir dir;
  dir.Write(".talvenorignore", "a/skip/\r\nlogs/*.txt\r\n");
  RecordingUi ui;
  IgnoreFile ignore(ui);
  const std::string root = dir.path() + "\\";
  ASSERT_TRUE(ignore.Refresh(root));
  const struct {
    const char* relative;
    bool folder, skipped;
  } cases[] = {
      {"a\\skip", true, true},          {"a\\skip\\", true, true},    {"a\\skip\\deeper\\w.txt", false, true},
      {"a\\keep\\x.txt", false, false}, {"logs\\z.txt", false, true}, {"logs\\z.dat", false, false},
      {"b\\logs\\z.txt", false, false},
  };
  for (const auto& c : cases) EXPECT_EQ(ignore.Skips(root + c.relative, c.folder), c.skipped) << c.relative;
}

// A planted record must not name a copy outside its generation, and the log's copy paths are
// found for a source written with "\".
TEST(Win32Paths, RecordsAndTheLogNameCopiesInsideTheirGeneration) {
  const struct {
    const char* copyName;
    bool accepted;
  } cases[] = {{"a.txt", true}, {"..\\..\\a.txt", false}, {"sub\\a.txt", false}, {"..", false}};
  for (const auto& c : cases) {
    std::string text = GenerationRecord::FormatLine({"C:\\w\\a.txt", 1, 1347892205, 0, c.copyName});
    text.pop_back();  // its LF
    RecordLine line;
    EXPECT_EQ(GenerationRecord::ParseLine(text, line), c.accepted) << c.copyName;
  }
  const std::string log = "\xEF\xBB\xBF<20120917143005.0>\r\na.txt,C:\\w\\a.txt,C:\\bk\\20120917143005.0\\a.txt\r\n";
  EXPECT_EQ(CopiesNamedInLog(log, "C:\\w\\a.txt"), std::vector<std::string>{"C:\\bk\\20120917143005.0\\a.txt"});
}

}  // namespace
}  // namespace talvenor::test
