// The record inside each generation: what it says of each copy, that any name survives it,
// that damage costs only the damaged lines, and that it lives and dies with its generation.
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "BackupFixture.h"
#include "backup/GenerationRecord.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"

namespace talvenor::test {
namespace {

std::string RecordOf(const std::string& generationDir) {
  return ReadFile(generationDir + "/" + GenerationRecord::kFileName);
}

TEST(GenerationRecordFormat, EveryByteOfANameAndAnyTimeComeBackAsWritten) {
  const RecordLine lines[] = {
      {"/w/plain.txt", 0, 0, 0, "plain.txt"},
      {"/w/tab\there\\and\\\\back\\t", 12, 1347859805, 123456789, "tab\there\\and\\\\back\\t"},
      {"/w/line\nbreak\r\n", 1ULL << 40, 253402300799, 999999999, "line\nbreak\r\n.0"},
      {"/w/\xff\xfe not utf-8, a,b.txt", 7, -1, 500, "\xff\xfe not utf-8, a,b.txt.98"},
      {"/w/before 1970", 1, -86400 * 365 - 1, 1, "before 1970"},
  };
  std::string record;
  for (const RecordLine& line : lines) record += GenerationRecord::FormatLine(line);
  for (const RecordLine& line : lines) {
    const std::vector<RecordLine> found = GenerationRecord::LinesFor(record, line.source);
    ASSERT_EQ(found.size(), 1u) << line.source;
    EXPECT_EQ(found[0].source, line.source);
    EXPECT_EQ(found[0].size, line.size);
    EXPECT_EQ(found[0].modifiedSeconds, line.modifiedSeconds) << line.source;
    EXPECT_EQ(found[0].modifiedNanoseconds, line.modifiedNanoseconds);
    EXPECT_EQ(found[0].copyName, line.copyName);
  }
  EXPECT_EQ(GenerationRecord::FormatLine(lines[1]),
            "/w/tab\\there\\\\and\\\\\\\\back\\\\t\t12\t2012-09-17T05:30:05.123456789Z\t"
            "tab\\there\\\\and\\\\\\\\back\\\\t\n");
  // A path that merely starts like another is another file.
  EXPECT_TRUE(GenerationRecord::LinesFor(record, "/w/plain").empty());
  EXPECT_TRUE(GenerationRecord::LinesFor(record, "/w/tab").empty());
}

TEST(GenerationRecordFormat, DamagedAndTornLinesAreLeftOutAndTheRestRead) {
  const std::string good = "/w/a\t3\t2012-09-17T05:30:05.000000000Z\ta\n";
  const std::string damaged[] = {
      "/w/a\t3\t2012-09-17T05:30:05.000000000Z\n",               // no copy name
      "/w/a\tx3\t2012-09-17T05:30:05.000000000Z\ta\n",           // size not a number
      "/w/a\t-3\t2012-09-17T05:30:05.000000000Z\ta\n",           // nor is a negative one
      "/w/a\t3\t2012-13-17T05:30:05.000000000Z\ta\n",            // month 13
      "/w/a\t3\t2012-09-17 05:30:05\ta\n",                       // another time form
      "/w/a\t3\t2012-09-17T05:30:05.000000000Z\t\n",             // empty copy name
      "/w/a\t3\t2012-09-17T05:30:05.000000000Z\t../../etc/x\n",  // a name leading out
      "/w/a\t3\t2012-09-17T05:30:05.000000000Z\t..\n",           // the folder above
      "/w/a\t3\t2012-09-17T05:30:05.000000000Z\ta\\q\n",         // unknown escape
      "/w/a\t3\t2012-09-17T05:30:05.000000000Z\ta\\\n",          // escape cut off
      "\x00\x01\x02garbage\n",
  };
  std::string record = good;
  for (const std::string& line : damaged) record += line + good;
  record += "/w/a\t3\t2012-09-17T05:30:05.000000000Z\ta.0";  // torn: its copy was in progress
  const std::vector<RecordLine> found = GenerationRecord::LinesFor(record, "/w/a");
  EXPECT_EQ(found.size(), std::size(damaged) + 1);
  for (const RecordLine& line : found) EXPECT_EQ(line.copyName, "a");

  // Random damage never fails and never invents a line of another source.
  std::mt19937 random(17);
  for (int round = 0; round < 300; ++round) {
    std::string hurt = record;
    for (int k = 0; k < 4; ++k) hurt[random() % hurt.size()] = static_cast<char>(random());
    for (const RecordLine& line : GenerationRecord::LinesFor(hurt, "/w/a")) EXPECT_EQ(line.source, "/w/a");
  }
}

using GenerationRecordTest = BackupFixture;

TEST_F(GenerationRecordTest, EachCopyIsRecordedWithItsSourceSizeTimeAndName) {
  const std::string a = tmp.Write("w/report.txt", "first");
  const std::string b = tmp.Write("w/sub/report.txt", "second!");
  SetWriteTime(a, 1347859805);
  ASSERT_EQ(1, Backup(tmp / "w/", "report.txt", 0));
  ASSERT_EQ(1, Backup(tmp / "w/sub/", "report.txt", 1));
  const std::string record = RecordOf(store.m_strGenerationDir);
  EXPECT_EQ(record.substr(0, record.find('\n') + 1),
            tmp / "w/report.txt\t5\t2012-09-17T05:30:05.000000000Z\treport.txt\n");
  const auto second = GenerationRecord::LinesFor(record, b);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].copyName, "report.txt.0");
  struct stat st {};
  ASSERT_EQ(::stat(b.c_str(), &st), 0);
  EXPECT_EQ(second[0].modifiedSeconds, st.st_mtim.tv_sec);
  EXPECT_EQ(second[0].modifiedNanoseconds, st.st_mtim.tv_nsec);
  // Only the owner may read it, like the generation.
  ASSERT_EQ(::stat((store.m_strGenerationDir + "/" + GenerationRecord::kFileName).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(GenerationRecordTest, ASourceNamedLikeTheRecordInAnyCaseGetsTheNextNameOfTheSeries) {
  // The first copy of its generation: the record does not exist yet when its name is chosen.
  for (const std::string name : {".talvenor-record", ".TALVENOR-Record"}) {
    tmp.Write("w/" + name, "a user's file");
    ASSERT_EQ(1, Backup(tmp / "w/", name, 0)) << name;
    EXPECT_EQ(destination, store.m_strGenerationDir + "/" + name + ".0");
    EXPECT_EQ(ReadFile(destination), "a user's file");
    const auto lines = GenerationRecord::LinesFor(RecordOf(store.m_strGenerationDir), tmp / "w/" + name);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].copyName, name + ".0");
    SetClock(2012, 9, 17, 14, 31, 0);
  }
}

TEST_F(GenerationRecordTest, GoesWithItsGenerationAndSurvivesTheLeftoverSweep) {
  settings.BAKSZ = 1;
  const std::string first = Pass(tmp.Write("w/a.txt", "a"));
  store.FlushCopies();
  store.RemoveCopyLeftovers();
  EXPECT_TRUE(std::filesystem::exists(settings.DIR2 + "/" + first + "/" + GenerationRecord::kFileName));
  SetClock(2012, 9, 17, 14, 31, 0);
  const std::string second = Pass(tmp.Write("w/b.txt", "b"));
  store.PruneGenerations();
  EXPECT_EQ(Names(settings.DIR2), std::set<std::string>{second});
  EXPECT_TRUE(ui.messages.empty());
  // A pass whose copies all failed leaves no generation behind, record or not.
  SetClock(2012, 9, 17, 14, 32, 0);
  EXPECT_EQ(0, Backup(tmp / "w/", "missing.txt", 0));
  store.RemoveEmptyGeneration();
  EXPECT_EQ(Names(settings.DIR2), std::set<std::string>{second});
}

TEST_F(GenerationRecordTest, AKillDuringAPassLeavesARecordOfEveryCopyBeforeTheOneInProgress) {
  GTEST_FLAG_SET(death_test_style, "fast");
  for (int i = 0; i < 4; ++i) tmp.Write("w/f" + std::to_string(i), std::string(100 + i, 'x'));
  EXPECT_EXIT(
      {
        int publishing = 0;
        const platform::ScopedFaults crash({.atStep = [&publishing](const std::string& at) {
          if (at == "copy-before-publish" && ++publishing == 3) std::raise(SIGKILL);
        }});
        for (int i = 0; i < 4; ++i) Backup(tmp / "w/", "f" + std::to_string(i), i);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGKILL), "");
  const std::string generationDir = settings.DIR2 + "/20120917143005.0";
  const std::string record = RecordOf(generationDir);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(GenerationRecord::LinesFor(record, tmp / "w/f" + std::to_string(i)).size(), i < 2 ? 1u : 0u) << i;

  // A line torn at the end is closed before the next one, which the reader then finds.
  std::filesystem::resize_file(generationDir + "/" + GenerationRecord::kFileName, record.size() - 5);
  platform::FolderHandle generation = platform::FolderHandle::Open(generationDir);
  GenerationRecord writer;
  ASSERT_TRUE(writer.Add(generation, {tmp / "w/f2", 102, 0, 0, "f2"}));
  const std::string after = RecordOf(generationDir);
  EXPECT_EQ(GenerationRecord::LinesFor(after, tmp / "w/f0").size(), 1u);
  EXPECT_EQ(GenerationRecord::LinesFor(after, tmp / "w/f1").size(), 0u);  // the torn one
  EXPECT_EQ(GenerationRecord::LinesFor(after, tmp / "w/f2").size(), 1u);
}

}  // namespace
}  // namespace talvenor::test
