#include <algorithm>
#include <cstdio>
#include <vector>

#include "BackupFixture.h"
#include "HeldEntry.h"
#include "core/Messages.h"

namespace talvenor::test {
namespace {

using GenerationPruningTest = BackupFixture;

std::string Stamp(int day, int i) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "201201%02d%02d%02d00.0", day, i / 60, i % 60);
  return buf;
}

TEST(GenerationNameTest, RangeTestOnCharacters) {
  struct Case {
    const char* name;
    int expected;
  };
  const Case cases[] = {
      {"20120917143005.0", 1},
      {"20120917240000.0", 1},   // hour 24 passes
      {"20121320000000.0", 0},   // month 13
      {"20120017143005.0", 0},   // month 00
      {"20120900143005.0", 0},   // day 00
      {"20120932143005.0", 0},   // day 32
      {"20120917146005.0", 0},   // minute 60
      {"20120917143060.0", 0},   // second 60
      {"2012091714300.0", 0},    // 15 characters
      {"20120917143005.10", 0},  // 17 characters
      {"20-80917143005.0", 1},   // a year is compared as text, not as a number
      {"2012091714300a.0", 1},   // "0a" lies between "00" and "59" as text
      {"20120917143005xx", 1},   // characters 15 and 16 are not examined
      {"2012\xE3\x81\x82"
       "7143005.0",
       0},  // a multibyte month
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, BackupStore::IsGenerationName(c.name)) << c.name;
}

TEST_F(GenerationPruningTest, TenGenerationsAndANewPassRemoveTheSmallestName) {
  settings.BAKSZ = 10;
  for (int i = 0; i < 10; ++i) tmp.MakeFolder("bk/" + Stamp(1, i) + "/sub");
  tmp.Write("bk/" + Stamp(1, 0) + "/sub/copy.txt", "x");
  // Neither a file with a generation's name nor a folder with another name counts.
  tmp.Write("bk/20110101000000.0", "a file");
  tmp.MakeFolder("bk/keep-me");
  Pass(tmp.Write("w/a", "a"));

  store.PruneGenerations();
  std::set<std::string> expected{"20120917143005.0", "20110101000000.0", "keep-me"};
  for (int i = 1; i < 10; ++i) expected.insert(Stamp(1, i));
  EXPECT_EQ(expected, Names(settings.DIR2));
  EXPECT_EQ(settings.DIR2 + "/" + Stamp(1, 0), store.m_strRemovePath);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(GenerationPruningTest, LoweredLimitRemovesEveryOldestGenerationInOneCall) {
  for (int i = 0; i < 60; ++i) tmp.MakeFolder("bk/" + Stamp(2, i));
  settings.BAKSZ = 10;
  Pass(tmp.Write("w/a", "a"));
  store.PruneGenerations();

  std::set<std::string> expected{"20120917143005.0"};
  for (int i = 51; i < 60; ++i) expected.insert(Stamp(2, i));
  EXPECT_EQ(expected, Names(settings.DIR2));
}

TEST_F(GenerationPruningTest, FindOldestLeavesTheNameAloneWithinTheLimit) {
  for (int i = 0; i < 3; ++i) tmp.MakeFolder("bk/" + Stamp(3, i));
  settings.BAKSZ = 3;
  std::string oldest = "unchanged";
  EXPECT_EQ(1, store.FindOldestGeneration(oldest));
  EXPECT_EQ("unchanged", oldest);
  settings.BAKSZ = 2;
  EXPECT_EQ(0, store.FindOldestGeneration(oldest));
  EXPECT_EQ(Stamp(3, 0), oldest);
  settings.DIR2 = tmp / "missing";
  EXPECT_EQ(1, store.FindOldestGeneration(oldest));
}

TEST_F(GenerationPruningTest, HeldGenerationIsReportedOnceRenamedAndPassedOver) {
  for (int i = 0; i < 4; ++i) tmp.Write("bk/" + Stamp(4, i) + "/f", "x");
  HeldEntry held(tmp / ("bk/" + Stamp(4, 0) + "/f"));
  if (!held.held()) GTEST_SKIP() << "the immutable flag cannot be set here";
  settings.BAKSZ = 3;
  Pass(tmp.Write("w/a", "a"));
  store.PruneGenerations();

  const std::string path = settings.DIR2 + "/" + Stamp(4, 0);
  const std::string renamed = path.substr(0, path.size() - 1) + "A";
  EXPECT_EQ((std::vector<std::string>{"ディレクトリの削除ができません" + path,
                                      path + "は\n" + renamed + "に名称変更しました自分で削除してください"}),
            ui.messages);
  // The renamed folder still counts, so the next oldest goes in its stead; no second attempt.
  EXPECT_EQ((std::set<std::string>{Stamp(4, 0).substr(0, 15) + "A", Stamp(4, 3), "20120917143005.0"}),
            Names(settings.DIR2));
  held.Release();
}

TEST_F(GenerationPruningTest, ThePassOwnGenerationIsKeptWhenTheClockWentBack) {
  settings.BAKSZ = 2;
  for (int i = 0; i < 2; ++i) tmp.MakeFolder("bk/" + Stamp(20, i));
  SetClock(2012, 1, 19, 23, 0, 0);  // before every existing generation
  const std::string gen = Pass(tmp.Write("w/a", "a"));
  store.PruneGenerations();
  EXPECT_EQ((std::set<std::string>{gen, Stamp(20, 1)}), Names(settings.DIR2));
}

TEST_F(GenerationPruningTest, TheGenerationsMadeLongestAgoGoWhateverTheClockDid) {
  struct Step {
    int hour, minute, second;
  };
  struct Case {
    const char* what;
    std::vector<Step> clock;
  };
  std::vector<Case> cases;
  Case setBack{"clock set back an hour", {}}, autumn{"daylight saving ends", {}};
  for (int i = 0; i < 10; ++i) setBack.clock.push_back({14, 30, i});
  for (int i = 0; i < 12; ++i) setBack.clock.push_back({13, 30, i});
  // 02:59 is followed by 02:00 again; the second hour's passes may meet the first hour's names.
  for (int i = 0; i < 12; ++i) autumn.clock.push_back({2, 50 + i % 10, 0});
  for (int i = 0; i < 12; ++i) autumn.clock.push_back({2, i % 2 == 0 ? 0 : 55, 0});
  cases.push_back(setBack);
  cases.push_back(autumn);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir backup;
    settings.DIR2 = backup.path();
    settings.BAKSZ = 10;
    // Generations of an earlier version, unknown to the order, are older than every new one.
    for (int i = 0; i < 3; ++i) backup.MakeFolder(Stamp(28, i));
    std::vector<std::string> made;
    for (const Step& step : c.clock) {
      SetClock(2026, 10, 25, step.hour, step.minute, step.second);
      made.push_back(Pass(tmp.Write("w/a", "a")));
      store.PruneGenerations();
      const std::size_t keep = std::min<std::size_t>(made.size(), 10);
      std::set<std::string> expected(made.end() - static_cast<std::ptrdiff_t>(keep), made.end());
      for (int i = 0; i < 3 && made.size() + static_cast<std::size_t>(i) < 10; ++i) expected.insert(Stamp(28, 2 - i));
      ASSERT_EQ(expected, Names(backup.path())) << "after " << made.back();
    }
  }
}

}  // namespace
}  // namespace talvenor::test
