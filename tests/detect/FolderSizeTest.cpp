// The size pre-check of Start on real folders, with the progress window recorded.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>

#include "detect/FolderSize.h"
#include "platform/PathText.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace talvenor {
namespace {

// Every case runs on the one-thread walk and on the two-thread walk of Start, which must show
// the same total, steps, pumps and moments to cancel.
class FolderSizeTest : public ::testing::TestWithParam<bool> {
 protected:
  std::int64_t Size(const std::string& folder) {
    if (!GetParam()) return GetFolderSize(folder, ui, counter);
    std::mutex mutex;
    std::set<std::string> watched;
    FolderNode tree;
    const std::int64_t size = GetFolderSize(
        folder, ui, tree,
        [&](const std::string& path) {
          std::lock_guard lock(mutex);
          watched.insert(path);
        },
        nullptr, counter);
    // Start watches each folder of a walk that was not cancelled just before listing it.
    std::set<std::string> listed;
    VisitInScanOrder(
        tree, [&](const FolderNode& node) { listed.insert(node.path.str()); },
        [](const FolderNode&, const FileRecord&) {});
    if (size >= 0) {
      EXPECT_EQ(watched, listed);
    }
    return size;
  }

  test::TempDir tree;
  test::RecordingUi ui;
  FolderCounter counter;
};

INSTANTIATE_TEST_SUITE_P(Walks, FolderSizeTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "TwoThreads" : "OneThread"; });

TEST_P(FolderSizeTest, SumsEveryFileOfTheTreeAndStepsOncePerSubfolder) {
  EXPECT_EQ(Size(tree / "missing"), 0);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Size(tree.path()), 0);
  tree.Write("a.txt", "12345");
  tree.Write(".hidden", "123");
  tree.Write("sub/b.txt", "12");
  tree.Write("sub/deeper/c.txt", "1");
  tree.MakeFolder("empty");
  EXPECT_EQ(Size(tree.path()), 11);
  EXPECT_EQ(ui.progressSteps, 3);  // sub, sub/deeper, empty
  // A trailing "/" changes nothing.
  EXPECT_EQ(Size(tree.path() + "/"), 11);
}

TEST_P(FolderSizeTest, OnlyTheLow32BitsOfAFileSizeCount) {
  std::filesystem::resize_file(tree.Write("huge.bin", ""), 5'000'000'000ULL);  // sparse: no disk is spent
  EXPECT_EQ(Size(tree.path()), 705'032'704);
}

TEST_P(FolderSizeTest, CancelIsNoticedAfterTheNextSummedSubfolder) {
  tree.Write("one/x", "x");
  tree.Write("two/y", "y");
  tree.Write("three/z", "z");
  ui.cancelAfterPumps = 0;
  EXPECT_EQ(Size(tree.path()), -1);
  EXPECT_EQ(ui.progressSteps, 1);
}

TEST_P(FolderSizeTest, AFolderWithoutSubfoldersCannotBeCancelled) {
  tree.Write("x", "xy");
  ui.cancelRequested = true;  // Esc pressed before the walk, nothing pumps it through
  EXPECT_EQ(Size(tree.path()), 2);
}

TEST_P(FolderSizeTest, TheCounterRestartsTheBarPastTwentyThousandFolders) {
  tree.MakeFolder("a/b");
  counter.value = kFolderCounterLimit - 1;
  EXPECT_EQ(Size(tree.path()), 0);
  // Calls for the tree, a and a/b make 20002: reset after a/b is summed, then counting anew.
  EXPECT_EQ(ui.progressResets, 1);
  EXPECT_EQ(counter.value, 0);
  // The counter carries over from one walk to the next.
  EXPECT_EQ(Size(tree.path()), 0);
  EXPECT_EQ(counter.value, 3);
}

class WaitingUi : public test::RecordingUi {
 public:
  std::function<void()> onWait;
  void ProgressWait() override {
    RecordingUi::ProgressWait();
    if (onWait) onWait();
  }
};

// A subfolder whose listing is held up (a cold disk, a folder of very many files): the window
// is served while Start waits for it, and Esc taken meanwhile ends the walk without waiting.
TEST(FolderSizeWaitTest, EscTakenWhileASubfolderIsBeingListedEndsTheWalkAtOnce) {
  test::TempDir tree;
  tree.Write("slow/x", "x");
  tree.Write("y", "y");
  WaitingUi ui;
  std::mutex mutex;
  std::condition_variable released;
  bool held = false;
  bool cancelled = false;
  // Esc, pressed while the listing is held up.
  ui.onWait = [&] {
    std::lock_guard lock(mutex);
    if (!held) return;
    ui.cancelRequested = cancelled = true;
    released.notify_all();
  };
  FolderNode walked;
  const std::int64_t size = GetFolderSize(tree.path(), ui, walked, [&](const std::string& folder) {
    const std::string slow = tree.path() + platform::kSeparatorText + "slow" + platform::kSeparatorText;
    if (folder != slow) return;
    // Held until the user has cancelled; a walk that never lets the window in goes on later.
    std::unique_lock lock(mutex);
    held = true;
    released.wait_for(lock, std::chrono::seconds(3), [&] { return cancelled; });
  });
  EXPECT_EQ(size, -1);
  EXPECT_EQ(ui.progressSteps, 0) << "cancelled only once the subfolder was summed";
  EXPECT_GE(ui.progressWaits, 1);
}

}  // namespace
}  // namespace talvenor
