#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <iterator>

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
  SetWriteFailureAfterBytesForTest(3);
  EXPECT_FALSE(ReplaceFileAtomically(path, "new contents that do not fit"));
  SetWriteFailureAfterBytesForTest(-1);
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
  EXPECT_EQ(InstanceLock::PathFor("TALVENOR"), dir.path() + "/TALVENOR.lock");
  InstanceLock first;
  InstanceLock second;
  EXPECT_TRUE(first.Acquire("TALVENOR"));
  EXPECT_FALSE(second.Acquire("TALVENOR"));
  first.Release();
  EXPECT_TRUE(second.Acquire("TALVENOR"));
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_NE(InstanceLock::PathFor("TALVENOR").find("/tmp/TALVENOR-"), std::string::npos);
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
