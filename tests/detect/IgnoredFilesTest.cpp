// A monitoring session with a ".talvenorignore": what it leaves out is not watched, listed,
// copied or recorded, and what it lets back in is new at the next pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSessionFixture.h"
#include "detect/SnapshotFile.h"
#include "detect/SnapshotTree.h"

namespace talvenor {
namespace {

namespace fs = std::filesystem;

class IgnoredFilesTest : public test::MonitorSessionFixture {
 protected:
  void SetUp() override {
    watch.Write(".talvenorignore", "# build output\nbuild/\n*.o\n");
    watch.Write("build/out.bin", "out");
    watch.Write("build/deep/x.bin", "x");
    watch.Write("src/a.c", "a");
    watch.Write("src/a.o", "object");
    watch.Write("keep.txt", "keep");
  }
  // Every file "test2.dat" records, as folder below the watched one and name, once the
  // session has written what its passes found.
  std::vector<std::string> Recorded() {
    session.Detector().SaveHeldSnapshot();
    Snapshot saved;
    LoadSnapshot(paths.g_snapshotPath, saved);
    std::vector<std::string> names;
    for (const CElement& e : saved) names.push_back(e.m_strFolder.str().substr(watch.path().size() + 1) + e.m_strName);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Changes the pattern file and runs the pass its change starts.
  void EditPatterns(const std::string& text) {
    watch.Write(".talvenorignore", text);
    ASSERT_TRUE(WaitForFlag());
    session.OnMonitorTick();
  }
  std::vector<std::string> LastGenerationCopies() const {
    const auto generations = Generations();
    return generations.empty() ? std::vector<std::string>{} : CopiesIn(generations.back());
  }
};

TEST_F(IgnoredFilesTest, WhatIsLeftOutIsNeitherWatchedNorListedNorCopiedNorRecorded) {
  settings.FIRST = 1;
  // Nor counted by Start's size check: no question about a tree that is small without it.
  watch.Write("build/big.bin", "");
  fs::resize_file(watch / "build/big.bin", 20'000'000);
  session.StartMonitoring();
  EXPECT_TRUE(ui.messages.empty());
  watch.Write("build/deep/later.bin", "later");
  watch.Write("src/b.o", "object");
  watch.Write("src/b.c", "b");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), (std::vector<std::string>{".talvenorignore", "a.c", "b.c", "keep.txt"}));
  EXPECT_EQ(Recorded(), (std::vector<std::string>{".talvenorignore", "keep.txt", "src/a.c", "src/b.c"}));
  ASSERT_NE(session.Detector().HeldSnapshot(), nullptr);
  EXPECT_EQ(session.Detector().HeldSnapshot()->FindChild("build"), nullptr);
  EXPECT_TRUE(ui.notices.empty());
  // A folder left out whose permissions change is no reason to scan the whole tree.
  fs::permissions(watch / "build", fs::perms::group_read, fs::perm_options::add);
  watch.Write("src/c.c", "c");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_FALSE(session.Detector().LastPassWasWhole());
  EXPECT_EQ(LastGenerationCopies(), std::vector<std::string>{"c.c"});
}

TEST_F(IgnoredFilesTest, APatternRemovedMakesItsFilesNewAtTheNextPassAndItsFoldersWatchedAgain) {
  session.StartMonitoring();  // a baseline: nothing is copied of what is there
  EXPECT_TRUE(Generations().empty());
  // The edit is seen in the top folder only; the file it lets back in lies below.
  EditPatterns("build/\n");
  EXPECT_EQ(LastGenerationCopies(), (std::vector<std::string>{".talvenorignore", "a.o"}));
  EditPatterns("");
  EXPECT_EQ(LastGenerationCopies(), (std::vector<std::string>{".talvenorignore", "out.bin", "x.bin"}));
  EXPECT_EQ(Recorded(), (std::vector<std::string>{".talvenorignore", "build/deep/x.bin", "build/out.bin", "keep.txt",
                                                  "src/a.c", "src/a.o"}));
  // The folder let back in is watched from that pass on.
  watch.Write("build/deep/y.bin", "y");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(LastGenerationCopies(), std::vector<std::string>{"y.bin"});
  // Left out again: its files leave the snapshot, and nothing is copied but the pattern file.
  EditPatterns("build\n");
  EXPECT_EQ(LastGenerationCopies(), std::vector<std::string>{".talvenorignore"});
  EXPECT_EQ(Recorded(), (std::vector<std::string>{".talvenorignore", "keep.txt", "src/a.c", "src/a.o"}));
}

TEST_F(IgnoredFilesTest, ALineThatCannotBeReadIsShownOnceAndTheRestStillCounts) {
  watch.Write(".talvenorignore", "[oops\nbuild/\n*.o\n");
  session.StartMonitoring();
  const std::string line = msg::Format(msg::kIgnoreLineUnreadable, {watch / ".talvenorignore:1", "[oops"});
  EXPECT_EQ(ui.notices, std::vector<std::string>{line});
  EditPatterns("[oops\nbuild/\n*.o\n*.txt\n");
  EXPECT_EQ(ui.notices, std::vector<std::string>{line});
  EXPECT_EQ(LastGenerationCopies(), std::vector<std::string>{".talvenorignore"});
  EXPECT_EQ(Recorded(), (std::vector<std::string>{".talvenorignore", "src/a.c"}));
  // A pattern file that cannot be read at all leaves nothing out, and the user hears of it.
  fs::remove(watch / ".talvenorignore");
  fs::create_directory(watch / ".talvenorignore");
  watch.Write("keep.txt", "changed");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(ui.notices.back(), msg::Format(msg::kIgnoreFileUnreadable, {watch / ".talvenorignore"}));
  EXPECT_EQ(LastGenerationCopies(), (std::vector<std::string>{"a.o", "keep.txt", "out.bin", "x.bin"}));
}

}  // namespace
}  // namespace talvenor
