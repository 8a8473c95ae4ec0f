#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "BackupFixture.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "platform/LockedFile.h"

namespace talvenor::test {
namespace {

using BackupFileTest = BackupFixture;

TEST_F(BackupFileTest, GenerationIsNamedAfterTheClockWithOrWithoutTrailingSeparator) {
  const std::string src = tmp.Write("w/report.txt", "r");
  ASSERT_EQ(1, Backup(tmp / "w/", "report.txt", 0));
  EXPECT_EQ("20120917143005.0", generation);
  EXPECT_EQ(settings.DIR2 + "/20120917143005.0", store.m_strGenerationDir);
  EXPECT_EQ(settings.DIR2 + "/20120917143005.0/report.txt", destination);

  settings.DIR2 += "/";  // a folder text ending in the separator gets no second one
  SetClock(2012, 9, 17, 14, 30, 6);
  ASSERT_EQ(1, Backup(tmp / "w/", "report.txt", 0));
  EXPECT_EQ(settings.DIR2 + "20120917143006.0", store.m_strGenerationDir);
  EXPECT_EQ(settings.DIR2 + "20120917143006.0/report.txt", destination);
}

TEST_F(BackupFileTest, PassesWithinOneSecondCountUpAndTheEleventhIsNotAGeneration) {
  const std::string src = tmp.Write("w/a", "a");
  for (int pass = 0; pass < 11; ++pass) EXPECT_EQ("20120917143005." + std::to_string(pass), Pass(src));
  EXPECT_EQ(11u, Names(settings.DIR2).size());

  // Ten counted generations are within BAKSZ 10: ".10" is neither counted nor removed.
  settings.BAKSZ = 10;
  std::string oldest = "unchanged";
  EXPECT_EQ(1, store.FindOldestGeneration(oldest));
  EXPECT_EQ("unchanged", oldest);
  store.PruneGenerations();
  EXPECT_EQ(11u, Names(settings.DIR2).size());
}

TEST_F(BackupFileTest, TakenCopyNamesGetASuffixAfterTheWholeName) {
  for (const auto& [file, text] : {std::pair("a/report.txt", "first"), std::pair("b/report.txt", "second"),
                                   std::pair("c/README", "1"), std::pair("d/README", "2"), std::pair("e/README", "3")})
    tmp.Write(std::string("w/") + file, text);
  ASSERT_EQ(1, Backup(tmp / "w/a/", "report.txt", 0));
  ASSERT_EQ(1, Backup(tmp / "w/b/", "report.txt", 1));
  EXPECT_EQ(store.m_strGenerationDir + "/report.txt.0", destination);
  for (const char* sub : {"c", "d", "e"}) ASSERT_EQ(1, Backup(tmp / "w/" + sub + "/", "README", 1));
  EXPECT_EQ(store.m_strGenerationDir + "/README.1", destination);

  const std::string gen = store.m_strGenerationDir;
  EXPECT_EQ((std::set<std::string>{"report.txt", "report.txt.0", "README", "README.0", "README.1"}), Names(gen));
  EXPECT_EQ("first", ReadFile(gen + "/report.txt"));
  EXPECT_EQ("second", ReadFile(gen + "/report.txt.0"));
  EXPECT_EQ("3", ReadFile(gen + "/README.1"));

  // The next pass puts the same file under its plain name in a folder of its own.
  SetClock(2012, 9, 17, 14, 55, 10);
  ASSERT_EQ(1, Backup(tmp / "w/a/", "report.txt", 0));
  EXPECT_EQ(settings.DIR2 + "/20120917145510.0/report.txt", destination);
}

TEST_F(BackupFileTest, OnePassCopiesEveryFileOfOneNamePastTheHundredth) {
  // A file of the watched tree that is itself named like a numbered copy takes that name, and
  // the series passes over it.
  tmp.Write("w/index.html.120", "literal");
  ASSERT_EQ(1, Backup(tmp / "w/", "index.html.120", 0));
  std::set<std::string> expected{"index.html.120"};
  for (int i = 0; i < 150; ++i) {
    const std::string folder = tmp / ("w/" + std::to_string(i) + "/");
    tmp.Write("w/" + std::to_string(i) + "/index.html", std::to_string(i));
    ASSERT_EQ(1, Backup(folder, "index.html", 1)) << i;
    const std::string name = i == 0 ? "index.html" : "index.html." + std::to_string(i <= 120 ? i - 1 : i);
    EXPECT_EQ(store.m_strGenerationDir + "/" + name, destination);
    expected.insert(name);
  }
  EXPECT_EQ(expected, Names(store.m_strGenerationDir));
  EXPECT_EQ("149", ReadFile(store.m_strGenerationDir + "/index.html.149"));
  EXPECT_EQ("literal", ReadFile(store.m_strGenerationDir + "/index.html.120"));
}

TEST_F(BackupFileTest, CopyKeepsContentsPermissionsAndWriteTime) {
  const std::string src = tmp.Write("w/data.bin", std::string(3 << 20, 'x') + "end");
  ::chmod(src.c_str(), 0640);
  SetWriteTime(src, 1347856205);
  ASSERT_EQ(1, Backup(tmp / "w/", "data.bin", 0));
  EXPECT_EQ(ReadFile(src), ReadFile(destination));
  const auto copy = platform::StatFile(destination);
  const auto original = platform::StatFile(src);
  ASSERT_TRUE(copy && original);
  EXPECT_EQ(original->writeTime, copy->writeTime);
  EXPECT_EQ(0640u, copy->mode & 0777);
}

TEST_F(BackupFileTest, ASparseFileKeepsItsHoles) {
  const std::string src = tmp.Write("w/disk.img", "");
  {
    const int fd = ::open(src.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(4, ::pwrite(fd, "head", 4, 0));
    ASSERT_EQ(6, ::pwrite(fd, "middle", 6, 8 << 20));
    ASSERT_EQ(0, ::ftruncate(fd, 16 << 20));  // ends in a hole
    ::close(fd);
  }
  struct stat source {};
  ASSERT_EQ(0, ::stat(src.c_str(), &source));
  if (source.st_blocks * 512 >= source.st_size) GTEST_SKIP() << "this file system keeps no holes";
  ASSERT_EQ(1, Backup(tmp / "w/", "disk.img", 0));
  struct stat copy {};
  ASSERT_EQ(0, ::stat(destination.c_str(), &copy));
  EXPECT_EQ(ReadFile(src), ReadFile(destination));
  EXPECT_LE(copy.st_blocks, source.st_blocks + 64) << "the holes were filled";
}

TEST_F(BackupFileTest, ContinuingBeforeAnyGenerationCopiesNothing) {
  tmp.Write("w/a", "a");
  destination = generation = "kept";
  EXPECT_EQ(0, Backup(tmp / "w/", "a", 1));
  EXPECT_EQ("", destination);
  EXPECT_EQ("kept", generation);
  EXPECT_TRUE(Names(settings.DIR2).empty());
}

// The log and the list never name a copy that does not exist: a failed copy's destination is empty.
TEST_F(BackupFileTest, MissingBackupFolderCopiesNothingAndNamesNoCopy) {
  tmp.Write("w/a", "a");
  tmp.Write("w/b", "b");
  settings.DIR2 = tmp / "gone";
  EXPECT_EQ(0, Backup(tmp / "w/", "a", 0));
  EXPECT_EQ("20120917143005.0", generation);  // still set, for the pass's markers
  EXPECT_EQ("", destination);
  destination = "previous";
  EXPECT_EQ(0, Backup(tmp / "w/", "b", 1));
  EXPECT_EQ("", destination);
  EXPECT_FALSE(platform::PathExists(tmp / "gone"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(BackupFileTest, EveryNameTakenFailsWithoutTouchingTheTakenFolders) {
  tmp.Write("w/a", "a");
  for (int n = 0; n < 100; ++n) tmp.MakeFolder("bk/20120917143005." + std::to_string(n));
  store.m_strGenerationDir = "previous";
  EXPECT_EQ(0, Backup(tmp / "w/", "a", 0));
  EXPECT_EQ("20120917143005.99", generation);
  EXPECT_EQ("previous", store.m_strGenerationDir);
  EXPECT_TRUE(Names(settings.DIR2 + "/20120917143005.99").empty());
}

TEST_F(BackupFileTest, VanishedOrUnusableSourceLeavesNothingBehind) {
  tmp.Write("w/kept", "k");
  tmp.MakeFolder("w/now-a-folder");
  ASSERT_EQ(1, Backup(tmp / "w/", "kept", 0));
  EXPECT_EQ(0, Backup(tmp / "w/", "vanished", 1));
  EXPECT_EQ("", destination);
  EXPECT_EQ(0, Backup(tmp / "w/", "now-a-folder", 1));
  EXPECT_EQ((std::set<std::string>{"kept"}), Names(store.m_strGenerationDir));
}

TEST_F(BackupFileTest, DiskFullMidCopyLeavesNoFileUnderAnyName) {
  tmp.Write("w/big", std::string(6 << 20, 'b'));
  tmp.Write("w/small", "s");
  ASSERT_EQ(1, Backup(tmp / "w/", "small", 0));
  int result = 0;
  {
    const platform::ScopedFaults full({.writeFailsAfterBytes = 1 << 20});
    result = Backup(tmp / "w/", "big", 1);
  }
  EXPECT_EQ(0, result);
  EXPECT_EQ("", destination);
  // Neither the final name nor a temporary of the copy is left.
  EXPECT_EQ((std::set<std::string>{"small"}), Names(store.m_strGenerationDir));
}

TEST_F(BackupFileTest, AnExistingFileIsNeverReplaced) {
  const std::string src = tmp.Write("w/a", "new");
  const std::string existing = tmp.Write("bk/existing", "old");
  EXPECT_FALSE(platform::CopyFileNoReplace(src, existing));
  EXPECT_EQ("old", ReadFile(existing));
}

TEST_F(BackupFileTest, FlushCopiesReportsWhenTheCopiesCannotBeReached) {
  Pass(tmp.Write("w/a", "a"));
  std::filesystem::remove_all(settings.DIR2);
  EXPECT_FALSE(store.FlushCopies());
}

}  // namespace
}  // namespace talvenor::test
