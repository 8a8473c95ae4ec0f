// The inotify watcher, one step at a time, on real folders; and the thread around it.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "detect/WatcherThread.h"
#include "platform/linux/InotifyWatcher.h"
#include "support/InotifyQueue.h"
#include "support/TempDir.h"

namespace talvenor {
namespace {

namespace fs = std::filesystem;
using platform::InotifyWatcher;
using Result = InotifyWatcher::StepResult;

bool WaitForFlag(const std::atomic<int>& flag, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (flag.load() == 0 && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return flag.load() != 0;
}

// Steps until a change is reported or the tries run out; the root is checked every couple of seconds.
Result StepUntilChanged(InotifyWatcher& watcher, int tries = 4) {
  Result seen = Result::Nothing;
  for (int i = 0; i < tries && seen == Result::Nothing; ++i) seen = watcher.Step(1500);
  return seen;
}

class WatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree.MakeFolder("sub/deep");
    tree.Write("sub/a.txt", "a");
    ASSERT_TRUE(watcher.Open(tree.path()));
  }
  // Events are queued when the system call returns, so a short wait finds them all.
  Result Step() { return watcher.Step(200); }

  test::TempDir tree;
  test::TempDir outside;
  InotifyWatcher watcher;
};

TEST_F(WatcherTest, FileChangesAnywhereInTheTreeAreSeen) {
  EXPECT_EQ(Step(), Result::Nothing);
  tree.Write("new.txt", "x");
  EXPECT_EQ(Step(), Result::Changed);
  tree.Write("sub/deep/b.txt", "b");
  EXPECT_EQ(Step(), Result::Changed);
  test::SetWriteTime(tree / "sub/a.txt", 1'000'000'000);
  EXPECT_EQ(Step(), Result::Changed);
  fs::rename(tree / "sub/a.txt", tree / "sub/A.txt");
  EXPECT_EQ(Step(), Result::Changed);
  fs::remove(tree / "sub/A.txt");
  EXPECT_EQ(Step(), Result::Changed);
  EXPECT_EQ(Step(), Result::Nothing);
}

TEST(WatcherOwnFiles, TheProgramsOwnFilesRaiseNothingInTheirFolderOnly) {
  test::TempDir tree;
  tree.MakeFolder("home");
  tree.MakeFolder("elsewhere");
  InotifyWatcher watcher;
  watcher.Touched().IgnoreFilesIn(tree / "home", [](const std::string& name) { return name == "log.csv"; });
  ASSERT_TRUE(watcher.Open(tree.path()));
  tree.Write("home/log.csv", "line");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  tree.Write("elsewhere/log.csv", "a user's own file of that name");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
  tree.Write("home/data.txt", "x");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
}

TEST_F(WatcherTest, FolderEventsRaiseNothingButNewFoldersAreWatched) {
  tree.MakeFolder("empty");
  EXPECT_EQ(Step(), Result::Nothing);
  fs::rename(tree / "sub", tree / "renamed");
  EXPECT_EQ(Step(), Result::Nothing);
  // The watches followed the rename: a file below the renamed folder is still seen.
  tree.Write("renamed/deep/c.txt", "c");
  EXPECT_EQ(Step(), Result::Changed);
  tree.Write("empty/d.txt", "d");
  EXPECT_EQ(Step(), Result::Changed);
  fs::remove_all(tree / "empty");
  Step();
  fs::remove(tree / "renamed/deep/c.txt");
  EXPECT_EQ(Step(), Result::Changed);
}

TEST_F(WatcherTest, AFolderArrivingWithFilesRaisesTheFlagAndIsWatched) {
  outside.Write("moved/inner/e.txt", "e");
  fs::rename(outside / "moved", tree / "moved");
  EXPECT_EQ(Step(), Result::Changed);
  tree.Write("moved/inner/f.txt", "f");
  EXPECT_EQ(Step(), Result::Changed);
  // Moved out: whatever happens to it there is not ours.
  fs::rename(tree / "moved", outside / "back");
  Step();
  outside.Write("back/inner/g.txt", "g");
  EXPECT_EQ(Step(), Result::Nothing);
}

TEST_F(WatcherTest, OverflowMeansRescan) {
  std::atomic<int> flag{0};
  watcher.Touched().RaiseOnChange(&flag);
  test::OverflowQueue(tree / "sub");
  EXPECT_EQ(Step(), Result::Changed);
  watcher.Touched().RaiseFlag();
  bool raised = false;
  EXPECT_TRUE(watcher.Touched().TakeTouched(flag, raised).everything);
  EXPECT_FALSE(watcher.PollingMode());
}

// The per-user watch limit, met for real: in a user namespace of its own whose limit is two.
TEST(WatcherLimitTest, TheWatchLimitMeansPollingNotFailure) {
  test::TempDir tree;
  tree.MakeFolder("a/b/c");
  const auto write = [](const char* path, const std::string& text) {
    std::ofstream file(path);
    file << text;
    file.close();
    return !file.fail();
  };
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string root = "0 " + std::to_string(::geteuid()) + " 1";
    if (::unshare(CLONE_NEWUSER) != 0 || !write("/proc/self/uid_map", root) ||
        !write("/proc/sys/user/max_inotify_watches", "2"))
      ::_exit(77);
    InotifyWatcher watcher;
    const bool opened = watcher.Open(tree.path());
    ::_exit(opened && watcher.PollingMode() && watcher.WatchCount() == 2 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no user namespace of its own here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(WatcherTest, ABurstPastTheQueueLimitIsOneChangeAndDrainsTheQueue) {
  // More events than the default queue holds (16384) between two steps.
  for (int i = 0; i < 9000; ++i) {
    const std::string name = tree / ("burst" + std::to_string(i));
    std::FILE* f = std::fopen(name.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  EXPECT_EQ(Step(), Result::Changed);
  EXPECT_EQ(Step(), Result::Nothing);
}

TEST_F(WatcherTest, StopWakesABlockedStep) {
  std::thread stopper([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    watcher.RequestStop();
  });
  EXPECT_EQ(watcher.Step(-1), Result::Stopped);
  stopper.join();
  EXPECT_EQ(Step(), Result::Stopped);
}

TEST_F(WatcherTest, AWatchedFolderThatVanishesIsWatchedAgainWhenItReturns) {
  fs::remove_all(tree.path());
  Step();
  EXPECT_EQ(Step(), Result::Nothing);
  tree.Write("sub/back.txt", "back");
  // The watcher looks for the folder's return about once a second.
  EXPECT_EQ(StepUntilChanged(watcher, 5), Result::Changed);
  tree.Write("sub/later.txt", "later");
  EXPECT_EQ(Step(), Result::Changed);
}

TEST(WatcherRootTest, ARootGivenAsALinkToAFolderIsWatchedButLinksBelowItAreNot) {
  test::TempDir base;
  base.Write("real/sub/a.txt", "a");
  base.MakeFolder("other");
  fs::create_directory_symlink(base / "other", base / "real/linked");
  fs::create_directory_symlink(base / "real", base / "link");
  InotifyWatcher watcher;
  ASSERT_TRUE(watcher.Open(base / "link"));
  EXPECT_EQ(watcher.WatchCount(), 2u);
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  base.Write("real/new.txt", "x");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
  base.Write("real/sub/b.txt", "b");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
  base.Write("other/c.txt", "c");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
}

TEST(WatcherRootTest, APathMadeAgainAfterItsParentWasRenamedAwayIsWatchedAgain) {
  test::TempDir base;
  base.Write("parent/watched/a.txt", "a");
  std::atomic<int> flag{0};
  WatcherThread thread;
  ASSERT_TRUE(thread.Start(base / "parent/watched", flag));
  // The watched folder itself gets no event from its parent's rename.
  fs::rename(base / "parent", base / "gone");
  base.Write("parent/watched/b.txt", "b");
  EXPECT_TRUE(WaitForFlag(flag, std::chrono::seconds(6)));
  flag = 0;
  base.Write("parent/watched/c.txt", "c");
  EXPECT_TRUE(WaitForFlag(flag, std::chrono::seconds(2)));
}

TEST(WatcherRootTest, APathWhoseParentWasRenamedAwayIsWatchedWhenItReturns) {
  test::TempDir base;
  base.Write("parent/watched/a.txt", "a");
  InotifyWatcher watcher;
  ASSERT_TRUE(watcher.Open(base / "parent/watched"));
  fs::rename(base / "parent", base / "gone");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  // Gone from the path: the folder under its new name is not ours.
  base.Write("gone/watched/x.txt", "x");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  EXPECT_EQ(watcher.WatchCount(), 0u);
  // Back, empty: still a different folder from the one a pass last saw.
  base.MakeFolder("parent/watched");
  EXPECT_EQ(StepUntilChanged(watcher), Result::Changed);
  base.Write("parent/watched/b.txt", "b");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
}

TEST(WatcherRootTest, AFileSystemMountedAgainOnTheWatchedFolderIsWatched) {
  test::TempDir base;
  const std::string point = base.MakeFolder("mnt");
  const std::string mount = "mount -t tmpfs tmpfs '" + point + "' 2>/dev/null";
  if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  struct Unmount {
    std::string command;
    ~Unmount() {
      for (int i = 0; i < 3 && std::system(command.c_str()) == 0; ++i) {
      }
    }
  } unmount{"umount '" + point + "' 2>/dev/null"};
  base.Write("mnt/a.txt", "a");
  InotifyWatcher watcher;
  ASSERT_TRUE(watcher.Open(point));
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  ASSERT_EQ(std::system(unmount.command.c_str()), 0);
  // Its files are out of sight: a pass must look.
  EXPECT_EQ(StepUntilChanged(watcher), Result::Changed);
  ASSERT_EQ(std::system(mount.c_str()), 0);
  base.Write("mnt/b.txt", "b");
  EXPECT_EQ(StepUntilChanged(watcher), Result::Changed);
  base.Write("mnt/c.txt", "c");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
}

TEST(WatcherSkipTest, FoldersSkippedAreNotWatchedNorAnythingBelowThemAndFilesSkippedRaiseNothing) {
  test::TempDir tree;
  test::TempDir outside;
  tree.MakeFolder("keep/deep");
  tree.MakeFolder("skip/deep");
  InotifyWatcher watcher;
  watcher.Touched().Skip(
      [](const std::string& path, bool) { return fs::path(path).filename().string().rfind("skip", 0) == 0; });
  ASSERT_TRUE(watcher.Open(tree.path()));
  EXPECT_EQ(watcher.WatchCount(), 3u);  // the root, keep and keep/deep
  tree.Write("skip/deep/a.txt", "a");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  // Made or moved in later, with files: still nothing to watch and nothing to raise.
  tree.Write("keep/skip/b.txt", "b");
  outside.Write("skip/c.txt", "c");
  fs::rename(outside / "skip", tree / "keep/deep/skip");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  EXPECT_EQ(watcher.WatchCount(), 3u);
  tree.Write("keep/deep/d.txt", "d");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
  // Renamed to a name skipped: its watches go.
  fs::rename(tree / "keep/deep", tree / "keep/skip2");
  watcher.Step(200);
  EXPECT_EQ(watcher.WatchCount(), 2u);
  tree.Write("keep/skip2/e.txt", "e");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  tree.Write("keep/skip.log", "written and written again");
  EXPECT_EQ(watcher.Step(200), Result::Nothing);
  fs::rename(tree / "keep/skip.log", tree / "keep/kept.log");
  EXPECT_EQ(watcher.Step(200), Result::Changed);
}

TEST(WatcherThreadTest, RaisesTheFlagAndStopsCleanly) {
  test::TempDir tree;
  std::atomic<int> flag{0};
  WatcherThread thread;
  ASSERT_TRUE(thread.Start(tree.path(), flag));
  EXPECT_TRUE(thread.IsRunning());
  tree.Write("x.txt", "x");
  EXPECT_TRUE(WaitForFlag(flag, std::chrono::seconds(2)));
  thread.Stop();
  EXPECT_FALSE(thread.IsRunning());
  flag = 0;
  tree.Write("y.txt", "y");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(flag.load(), 0);
}

}  // namespace
}  // namespace talvenor
