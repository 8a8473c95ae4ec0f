// Nothing outside the backup folder is ever written, deleted or changed, whatever someone who
// can write into the backup folder plants there or swaps in while the program works; and no
// copy is readable by a user who cannot read its source.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "BackupFixture.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

namespace talvenor::test {
namespace {

namespace fs = std::filesystem;

class StoreConfinementTest : public BackupFixture {
 protected:
  StoreConfinementTest() {
    outside = tmp.MakeFolder("outside");
    ::chmod(tmp.Write("outside/file", "outside").c_str(), 0444);
    tmp.Write("outside/dir/inner", "inner");
    ::chmod((tmp / "outside/dir").c_str(), 0555);
  }
  // Acts at the named steps of the store's file work until the next call, or the test's end.
  void AtStep(std::function<void(const std::string& step)> act) {
    m_faults.reset();
    if (act) m_faults.emplace(platform::Faults{.atStep = std::move(act)});
  }

  // The outside tree exactly as the fixture made it.
  void ExpectOutsideUntouched() {
    EXPECT_EQ("outside", ReadFile(outside + "/file"));
    EXPECT_EQ("inner", ReadFile(outside + "/dir/inner"));
    EXPECT_EQ(0444u, Mode(outside + "/file"));
    EXPECT_EQ(0555u, Mode(outside + "/dir"));
    EXPECT_EQ((std::set<std::string>{"file", "dir"}), Names(outside));
    EXPECT_EQ((std::set<std::string>{"inner"}), Names(outside + "/dir"));
  }
  static unsigned Mode(const std::string& path) {
    return static_cast<unsigned>(fs::status(path).permissions() & fs::perms::all);
  }
  // Moves path aside, out of the generations, and puts a link to target in its place.
  void SwapForLink(const std::string& path, const std::string& target) {
    fs::rename(path, settings.DIR2 + "/aside");
    fs::create_directory_symlink(target, path);
  }

  std::string outside;

 private:
  std::optional<platform::ScopedFaults> m_faults;
};

TEST_F(StoreConfinementTest, EveryKindOfEntryGoesAndNothingItPointsToIsChanged) {
  const std::string gen = tmp.MakeFolder("bk/20120101000000.0");
  ASSERT_EQ(0, ::link((outside + "/file").c_str(), (gen + "/hard-link").c_str()));
  fs::create_directory_symlink(outside + "/dir", gen + "/folder-link");
  fs::create_symlink(outside + "/file", gen + "/file-link");
  fs::create_directory_symlink("/", gen + "/root-link");
  fs::create_symlink(tmp / "nowhere", gen + "/dangling");
  ASSERT_EQ(0, ::mkfifo((gen + "/fifo").c_str(), 0600));
  ASSERT_EQ(0, ::mknod((gen + "/socket").c_str(), S_IFSOCK | 0600, 0));
  tmp.MakeFolder("bk/20120101000000.0/sub");
  fs::create_directory_symlink(outside + "/dir", gen + "/sub/deeper-link");
  for (const std::string& folder : {gen + "/sub", gen}) ::chmod(folder.c_str(), 0555);

  settings.BAKSZ = 0;
  store.PruneGenerations();
  EXPECT_FALSE(fs::exists(fs::symlink_status(gen)));
  EXPECT_TRUE(ui.messages.empty());
  ExpectOutsideUntouched();
}

// The moments at which a name in the backup folder can be swapped for a link to elsewhere.
TEST_F(StoreConfinementTest, ALinkSwappedInAtTheDangerousMomentIsNeverFollowed) {
  tmp.Write("w/a", "a");
  tmp.Write("w/b", "b");
  struct Case {
    const char* step;  // where the swap happens; "" between two copies of one pass
    bool prune;        // the swap meets the pruning, else the copying
  };
  for (const Case& c :
       {Case{"folder-listed", true}, Case{"folder-made", false}, Case{"copy-before-publish", false}, Case{"", false}}) {
    SCOPED_TRACE(c.step);
    for (const auto& e : fs::directory_iterator(settings.DIR2)) fs::remove_all(e.path());
    const std::string old = tmp.Write("bk/20120101000000.0/sub/copy", "copy");
    const std::string generation = settings.DIR2 + "/20120917143005.0";
    const std::string victim = c.prune ? platform::ParentFolder(old) : generation;
    bool swapped = false;
    AtStep([&](const std::string& step) {
      if (step != c.step || swapped) return;
      swapped = true;
      SwapForLink(victim, outside + "/dir");
    });
    if (c.prune) {
      settings.BAKSZ = 0;
      store.m_strGenerationDir.clear();
      store.PruneGenerations();
      EXPECT_FALSE(fs::exists(fs::symlink_status(platform::ParentFolder(old))));
    } else {
      Backup(tmp / "w/", "a", 0);
      if (c.step[0] == '\0') {
        SwapForLink(victim, outside + "/dir");
        swapped = true;
      }
      Backup(tmp / "w/", "b", 1);
    }
    AtStep(nullptr);
    EXPECT_TRUE(swapped);
    ExpectOutsideUntouched();
  }
}

// Someone who can write into the backup folder renames an older folder of ours, open to
// others, to the name of the generation just made.
TEST_F(StoreConfinementTest, NoCopyGoesIntoAnOpenFolderSwappedInForTheNewGeneration) {
  tmp.Write("w/a", "a");
  const std::string open = tmp.MakeFolder("bk/20120101000000.0");
  ::chmod(open.c_str(), 0755);
  const std::string made = settings.DIR2 + "/20120917143005.0";
  AtStep([&](const std::string& step) {
    if (step != "folder-made") return;
    fs::remove(made);
    fs::rename(open, made);
  });
  EXPECT_EQ(0, Backup(tmp / "w/", "a", 0));
  EXPECT_TRUE(Names(made).empty());
}

// Someone who can write into the backup folder plants folders named as later generations.
TEST_F(StoreConfinementTest, FoldersOfOthersNeverPushOurGenerationsOut) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make folders of another user";
  const std::string ours[] = {tmp.MakeFolder("bk/20120101000000.0"), tmp.MakeFolder("bk/20120102000000.0")};
  for (const char* planted : {"bk/99991231235959.0", "bk/99991231235959.1"})
    ASSERT_EQ(0, ::chown(tmp.MakeFolder(planted).c_str(), 65534, 65534));
  settings.BAKSZ = 2;
  store.PruneGenerations();
  for (const std::string& generation : ours) EXPECT_TRUE(fs::exists(generation)) << generation;
}

// A planted tree deeper than the descriptors a process may hold goes, with few descriptors and
// little stack to spare.
TEST_F(StoreConfinementTest, ATreeOfAnyDepthIsEmptiedWithFewDescriptorsAndLittleStack) {
  const std::string gen = tmp.MakeFolder("bk/20120101000000.0");
  int fd = ::open(gen.c_str(), O_RDONLY | O_DIRECTORY);
  for (int depth = 0; depth < 1500 && fd >= 0; ++depth) {
    ASSERT_EQ(0, ::mkdirat(fd, "d", 0700));
    const int inner = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = inner;
  }
  ASSERT_GE(fd, 0);
  ::close(::openat(fd, "bottom", O_CREAT | O_WRONLY, 0600));
  ::close(fd);

  settings.BAKSZ = 0;
  GTEST_FLAG_SET(death_test_style, "fast");
  const auto pruneWithLittle = [this, &gen] {
    const rlimit descriptors{128, 128};
    const rlimit stack{512 << 10, 512 << 10};
    ::setrlimit(RLIMIT_NOFILE, &descriptors);
    ::setrlimit(RLIMIT_STACK, &stack);
    store.PruneGenerations();
    ::_exit(ui.messages.empty() && !fs::exists(fs::symlink_status(gen)) ? 0 : 1);
  };
  EXPECT_EXIT(pruneWithLittle(), ::testing::ExitedWithCode(0), "");
}

TEST_F(StoreConfinementTest, ACopyIsNeverReadableByAUserWhoCannotReadItsSource) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  ::chmod(tmp.path().c_str(), 0755);
  ::chmod(settings.DIR2.c_str(), 0755);
  const std::string src = tmp.Write("private/notes.txt", "secret");
  ::chmod(src.c_str(), 0644);
  ::chmod((tmp / "private").c_str(), 0700);
  ASSERT_EQ(1, Backup(tmp / "private/", "notes.txt", 0));
  EXPECT_EQ(0644u, Mode(destination)) << "the source's bits are kept";

  // Whether nobody (uid 65534) can open the file for reading, asked in a child process.
  const auto readableByNobody = [](const std::string& path) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      const bool asNobody = ::setgid(65534) == 0 && ::setuid(65534) == 0;
      ::_exit(asNobody && ::open(path.c_str(), O_RDONLY) >= 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  ASSERT_FALSE(readableByNobody(src));
  ASSERT_TRUE(readableByNobody(tmp.Write("open.txt", "public")));
  EXPECT_FALSE(readableByNobody(destination));
}

}  // namespace
}  // namespace talvenor::test
