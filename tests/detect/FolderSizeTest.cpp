// The size pre-check of Start on real folders, with the progress window recorded.
#include <gtest/gtest.h>

#include <filesystem>

#include "detect/FolderSize.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace talvenor {
namespace {

class FolderSizeTest : public ::testing::Test {
 protected:
  void SetUp() override { SetFolderCounterForTest(0); }

  test::TempDir tree;
  test::RecordingUi ui;
};

TEST_F(FolderSizeTest, SumsEveryFileOfTheTreeAndStepsOncePerSubfolder) {
  EXPECT_EQ(GetFolderSize(tree / "missing", ui), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(GetFolderSize(tree.path(), ui), 0);
  tree.Write("a.txt", "12345");
  tree.Write(".hidden", "123");
  tree.Write("sub/b.txt", "12");
  tree.Write("sub/deeper/c.txt", "1");
  tree.MakeFolder("empty");
  EXPECT_EQ(GetFolderSize(tree.path(), ui), 11);
  EXPECT_EQ(ui.progressSteps, 3);  // sub, sub/deeper, empty
  // A trailing "/" changes nothing.
  EXPECT_EQ(GetFolderSize(tree.path() + "/", ui), 11);
}

TEST_F(FolderSizeTest, OnlyTheLow32BitsOfAFileSizeCount) {
  std::filesystem::resize_file(tree.Write("huge.bin", ""), 5'000'000'000ULL);  // sparse: no disk is spent
  EXPECT_EQ(GetFolderSize(tree.path(), ui), 705'032'704);
}

TEST_F(FolderSizeTest, CancelIsNoticedAfterTheNextSummedSubfolder) {
  tree.Write("one/x", "x");
  tree.Write("two/y", "y");
  tree.Write("three/z", "z");
  ui.cancelAfterPumps = 0;
  EXPECT_EQ(GetFolderSize(tree.path(), ui), -1);
  EXPECT_EQ(ui.progressSteps, 1);
}

TEST_F(FolderSizeTest, AFolderWithoutSubfoldersCannotBeCancelled) {
  tree.Write("x", "xy");
  ui.cancelRequested = true;  // Esc pressed before the walk, nothing pumps it through
  EXPECT_EQ(GetFolderSize(tree.path(), ui), 2);
}

TEST_F(FolderSizeTest, TheCounterRestartsTheBarPastTwentyThousandFolders) {
  tree.MakeFolder("a/b");
  SetFolderCounterForTest(kFolderCounterLimit - 1);
  EXPECT_EQ(GetFolderSize(tree.path(), ui), 0);
  // Calls for the tree, a and a/b make 20002: reset after a/b is summed, then counting anew.
  EXPECT_EQ(ui.progressResets, 1);
  EXPECT_EQ(FolderCounter(), 0);
  // The counter carries over from one walk to the next.
  EXPECT_EQ(GetFolderSize(tree.path(), ui), 0);
  EXPECT_EQ(FolderCounter(), 3);
}

}  // namespace
}  // namespace talvenor
