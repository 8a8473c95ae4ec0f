#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/LockedFile.h"
#include "support/TempDir.h"

using namespace talvenor::platform;
using talvenor::test::ReadFile;
using talvenor::test::TempDir;

TEST(LockedFile, ASecondOpenIsRefusedWhileTheFirstHoldsIt) {
  TempDir dir;
  const std::string path = dir.Write("held.dat", "abc");
  LockedFile first;
  ASSERT_TRUE(first.Open(path, LockedFile::Mode::ReadWriteExisting));
  LockedFile second;
  EXPECT_FALSE(second.Open(path, LockedFile::Mode::ReadWriteCreate));
  EXPECT_EQ(ReadFile(path), "abc") << "a refused create must not cut the holder's file";
  first.Close();
  EXPECT_TRUE(second.Open(path, LockedFile::Mode::ReadExisting));
}

TEST(LockedFile, ReplaceKeepsTheOldFileWhenTheWriteFailsOrAnotherHoldsIt) {
  TempDir dir;
  const std::string path = dir.Write("state.dat", "old contents");
  {
    const ScopedFaults full({.writeFailsAfterBytes = 3});
    EXPECT_FALSE(ReplaceFileAtomically(path, "new contents that do not fit"));
  }
  EXPECT_EQ(ReadFile(path), "old contents");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";

  EXPECT_TRUE(ReplaceFileAtomically(path, "new"));
  EXPECT_EQ(ReadFile(path), "new");
  // Refused while another holder has the file.
  LockedFile holder;
  ASSERT_TRUE(holder.Open(path, LockedFile::Mode::ReadExisting));
  EXPECT_FALSE(ReplaceFileAtomically(path, "newer"));
  EXPECT_EQ(errno, EWOULDBLOCK);
  EXPECT_EQ(ReadFile(path), "new");
}

TEST(InstanceLock, OnlyOneHolderAtATimeAndFreeAfterRelease) {
  TempDir dir;
  setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  InstanceLock first;
  InstanceLock second;
  EXPECT_TRUE(first.Acquire("TALVENOR"));
  EXPECT_EQ(first.Path(), dir.path() + "/TALVENOR.lock");
  EXPECT_FALSE(second.Acquire("TALVENOR"));
  first.Release();
  EXPECT_TRUE(second.Acquire("TALVENOR"));
  unsetenv("XDG_RUNTIME_DIR");
}

// Without a runtime folder the lock lies in a folder of the user's own in the shared
// temporary folder; whatever someone else put there first, the guard still works and never
// uses their files or follows their links.
TEST(InstanceLock, NobodyElseCanTakeTheLockFirst) {
  const std::string own = "talvenor-" + std::to_string(::geteuid());
  struct Case {
    const char* what;
    std::function<void(const TempDir& shared, const std::string& elsewhere)> plant;
    bool inShared;  // the folder in the shared temporary folder is used
  };
  const Case cases[] = {
      {"nothing", [](const TempDir&, const std::string&) {}, true},
      {"our folder, open to everyone",
       [&](const TempDir& shared, const std::string&) { ASSERT_EQ(0, ::chmod(shared.MakeFolder(own).c_str(), 0777)); },
       true},
      {"a folder of another user",
       [&](const TempDir& shared, const std::string&) {
         ASSERT_EQ(0, ::chown(shared.MakeFolder(own).c_str(), 65534, 65534));
       },
       false},
      {"a link to a folder of ours",
       [&](const TempDir& shared, const std::string& elsewhere) {
         ASSERT_EQ(0, ::symlink(elsewhere.c_str(), (shared / own).c_str()));
       },
       false},
      {"a lock file of another user in our folder",
       [&](const TempDir& shared, const std::string&) {
         const std::string file = shared.Write(own + "/TALVENOR.lock", "");
         ASSERT_EQ(0, ::chmod((shared / own).c_str(), 0700));
         ASSERT_EQ(0, ::chown(file.c_str(), 65534, 65534));
       },
       false},
  };
  ::unsetenv("XDG_RUNTIME_DIR");
  std::optional<std::string> savedHome;
  if (const char* home = std::getenv("HOME")) savedHome = home;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir shared, home, elsewhere;
    const ScopedFaults planted({.sharedTemporaryFolder = shared.path()});
    ::setenv("HOME", home.path().c_str(), 1);
    c.plant(shared, elsewhere.path());
    InstanceLock first, second;
    EXPECT_TRUE(first.Acquire("TALVENOR"));
    EXPECT_FALSE(second.Acquire("TALVENOR")) << "the guard holds";
    const std::string expected = c.inShared ? shared / (own + "/TALVENOR.lock") : home / ".TALVENOR.lock";
    EXPECT_EQ(expected, first.Path());
    struct stat st {};
    ASSERT_EQ(0, ::lstat(first.Path().c_str(), &st));
    EXPECT_EQ(::geteuid(), st.st_uid);
    if (c.inShared) {
      ASSERT_EQ(0, ::stat((shared / own).c_str(), &st));
      EXPECT_EQ(0700u, st.st_mode & 0777);
    }
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path())) << "nothing made through a link";
  }
  if (savedHome) ::setenv("HOME", savedHome->c_str(), 1);
}

TEST(FileSystem, RenameNeverReplacesAndResetMakesDeletable) {
  TempDir dir;
  const std::string a = dir.MakeFolder("a");
  const std::string b = dir.MakeFolder("b");
  EXPECT_FALSE(RenameNoReplace(a, b)) << "an empty folder of the new name must not be replaced";
  EXPECT_TRUE(PathExists(a));
  const std::string file = dir.Write("a/f.txt", "x");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(chmod(a.c_str(), 0500), 0);
  EXPECT_TRUE(ResetAttributesToNormal(a));
  EXPECT_TRUE(ResetAttributesToNormal(file));
  EXPECT_TRUE(RemoveFile(file));
  EXPECT_TRUE(RemoveDirectory(a));
  EXPECT_FALSE(PathExists(a));
  EXPECT_EQ(ParentFolder("/x/y/z"), "/x/y");
  EXPECT_EQ(ParentFolder("/x"), "/");
  EXPECT_EQ(ParentFolder("x"), ".");
}
