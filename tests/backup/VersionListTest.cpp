// Listing the copies of one file: from the records, from the log where a generation has none,
// newest first, and only copies that are there and are ours.
#include <filesystem>

#include "BackupFixture.h"
#include "backup/VersionList.h"
#include "changelog/LogLineText.h"

namespace talvenor::test {
namespace {

class VersionListTest : public BackupFixture {
 protected:
  // One pass at the given minute copying the file with these contents.
  std::string Version(const std::string& relative, const std::string& contents, int minute) {
    SetClock(2012, 9, 17, 14, minute, 5);
    const std::string source = tmp.Write(relative, contents);
    EXPECT_EQ(1,
              Backup(source.substr(0, source.find_last_of('/') + 1), source.substr(source.find_last_of('/') + 1), 0));
    return destination;
  }
  std::vector<std::string> Listed(const std::string& source, const std::string& log = "") {
    std::vector<std::string> lines;
    for (const FoundVersion& v : ListVersions(settings.DIR2, source, log).versions)
      lines.push_back(PassTimeOf(v.generation) + " " + std::to_string(v.size) + " " + v.copyPath);
    return lines;
  }
};

TEST_F(VersionListTest, RecordsAndTheLogTogetherNewestFirstOnlyCopiesStillThere) {
  const std::string source = tmp / "w/a,b.txt";
  const std::string v1 = Version("w/a,b.txt", "1", 1);
  Version("w/other.txt", "other", 2);
  const std::string v2 = Version("w/a,b.txt", "22", 3);
  const std::string v3 = Version("w/a,b.txt", "333", 4);
  const std::string deleted = Version("w/a,b.txt", "4444", 5);
  std::filesystem::remove(deleted);
  // A generation of an earlier version, without a record: the log names its copy.
  std::filesystem::remove(std::filesystem::path(v2).parent_path() / GenerationRecord::kFileName);
  const std::string log = tmp.Write(
      "log.csv", "<20120917140305.0>\r\n" + EscapeLineBreaks("a,b.txt," + source + "," + v2) + "\r\nother.txt," +
                     tmp / "w/other.txt," + v1 + "\r\n" + "a,b.txt," + source + "," + v2 + ".torn");
  EXPECT_EQ(Listed(source, log), (std::vector<std::string>{"2012-09-17 14:04:05 3 " + v3, "2012-09-17 14:03:05 2 " + v2,
                                                           "2012-09-17 14:01:05 1 " + v1}));
  // Without the log, the generation without a record has nothing to say.
  EXPECT_EQ(Listed(source).size(), 2u);
  EXPECT_TRUE(Listed(tmp / "w/never.txt", log).empty());
  EXPECT_TRUE(ListVersions(settings.DIR2, source, log).backupReadable);
  EXPECT_FALSE(ListVersions(tmp / "missing", source, log).backupReadable);
}

TEST_F(VersionListTest, LinksAndFoldersThatAreNoGenerationsAreNotLookedInto) {
  const std::string source = tmp / "w/a.txt";
  const std::string v1 = Version("w/a.txt", "1", 1);
  // The same record seen through a link under a generation's name, or in a folder of another name.
  std::filesystem::create_directory_symlink(std::filesystem::path(v1).parent_path(),
                                            settings.DIR2 + "/20120917150000.0");
  std::filesystem::copy(std::filesystem::path(v1).parent_path(), settings.DIR2 + "/copied-away");
  EXPECT_EQ(Listed(source), std::vector<std::string>{"2012-09-17 14:01:05 1 " + v1});
}

TEST(VersionPaths, RelativeAndRoundaboutPathsBecomeTheWatchedFoldersForm) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"a.txt", "/home/u/a.txt"},      {"./sub//a.txt", "/home/u/sub/a.txt"},
      {"../v/a.txt", "/home/v/a.txt"}, {"/w/./x/../a.txt", "/w/a.txt"},
      {"/../../a.txt", "/a.txt"},      {"/w/a\tb\\c,d", "/w/a\tb\\c,d"},
  };
  for (const auto& c : cases) EXPECT_EQ(AbsoluteFilePath(c.path, "/home/u"), c.expected) << c.path;
  EXPECT_EQ(PassTimeOf("20120917143005.0"), "2012-09-17 14:30:05");
}

}  // namespace
}  // namespace talvenor::test
