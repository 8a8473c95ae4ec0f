// The subtree watch and the instance guard of the Win32 layer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <string>

#include "platform/InstanceLock.h"
#include "platform/SystemWatcher.h"
#include "support/TempDir.h"

using namespace talvenor::platform;
using talvenor::test::TempDir;

namespace {

// Takes what changes touch until done accepts it (or ten seconds pass): one change may come
// in more than one batch.
TouchedFolders Collect(SystemWatcher& watcher, std::atomic<int>& flag,
                       const std::function<bool(const TouchedFolders&)>& done) {
  TouchedFolders all;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done(all) && std::chrono::steady_clock::now() < until) {
    if (watcher.Step(200) != SystemWatcher::StepResult::Changed) continue;
    watcher.Touched().RaiseFlag();
    bool raised = false;
    TouchedFolders touched = watcher.Touched().TakeTouched(flag, raised);
    all.listed.merge(touched.listed);
    all.subtrees.merge(touched.subtrees);
    all.everything = all.everything || touched.everything;
  }
  return all;
}

}  // namespace

TEST(Win32Watcher, NamesTheFoldersThatChangedBelowTheRoot) {
  TempDir dir;
  // The engine names folders with the system's separator throughout.
  const std::string root = dir.path() + "\\watch";
  dir.MakeFolder("watch");
  SystemWatcher watcher;
  std::atomic<int> flag{0};
  watcher.Touched().RaiseOnChange(&flag);
  watcher.Touched().IgnoreFilesIn(root, [](const std::string& name) { return name == "log.csv"; });
  ASSERT_TRUE(watcher.Open(root));
  const std::string sub = root + "\\sub\\";

  // Made after the watch began: Wine 8 reports nothing in a subfolder that existed before it.
  dir.MakeFolder("watch/sub");
  TouchedFolders touched = Collect(watcher, flag, [&](const TouchedFolders& t) { return t.subtrees.count(sub) > 0; });
  EXPECT_EQ(touched.subtrees, std::set<std::string>{sub});
  EXPECT_FALSE(touched.everything);

  // The program's own log in the root raises nothing; a Japanese name below it is named.
  dir.Write("watch/log.csv", "line");
  dir.Write("watch/sub/\xE6\x97\xA5\xE6\x9C\xAC.txt", "x");
  touched = Collect(watcher, flag, [&](const TouchedFolders& t) { return t.listed.count(sub) > 0; });
  EXPECT_EQ(touched.listed.count(sub), 1u);
  EXPECT_EQ(touched.listed.count(root + "\\"), 0u) << "log.csv is the program's own";

  // More names than the buffer holds between two reads: which folders they touched is lost.
  for (int i = 0; i < 3000; ++i) dir.Write("watch/sub/burst-with-a-long-name-" + std::to_string(i), "");
  EXPECT_TRUE(Collect(watcher, flag, [](const TouchedFolders& t) { return t.everything; }).everything);

  watcher.RequestStop();
  EXPECT_EQ(watcher.Step(-1), SystemWatcher::StepResult::Stopped);
  watcher.Close();
}

TEST(Win32InstanceLock, OneHolderOfTheNamedMutexAtATime) {
  InstanceLock first;
  InstanceLock second;
  EXPECT_TRUE(first.Acquire("TALVENOR-test"));
  EXPECT_FALSE(second.Acquire("TALVENOR-test"));
  first.Release();
  EXPECT_TRUE(second.Acquire("TALVENOR-test"));
}
