#include <sys/stat.h>

#include <filesystem>

#include "BackupFixture.h"
#include "HeldEntry.h"
#include "core/Messages.h"
#include "platform/FileSystem.h"

namespace talvenor::test {
namespace {

using FolderRemovalTest = BackupFixture;

TEST_F(FolderRemovalTest, ReadOnlyContentAtEveryDepthIsRemoved) {
  const std::string gen = tmp.MakeFolder("bk/20120101000000.0");
  for (const char* f : {"top.txt", "a/b/deep.txt", "a/mid.txt"}) {
    ::chmod(tmp.Write(std::string("bk/20120101000000.0/") + f, f).c_str(), 0444);
  }
  for (const std::string& folder : {gen + "/a/b", gen + "/a", gen}) ::chmod(folder.c_str(), 0555);

  settings.BAKSZ = 0;
  store.PruneGenerations();
  EXPECT_FALSE(platform::PathExists(gen));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FolderRemovalTest, EmptyFolderReportsAHeldFileButDeletesTheRest) {
  const std::string gen = tmp.MakeFolder("bk/20120917143005.0");
  for (const char* f : {"a", "b", "c", "d"}) tmp.Write(std::string("bk/20120917143005.0/") + f, f);
  HeldEntry held(gen + "/b");
  if (!held.held()) GTEST_SKIP() << "the immutable flag cannot be set here";
  EXPECT_EQ(0, store.EmptyFolder(gen + "/"));
  EXPECT_EQ(std::set<std::string>{"b"}, Names(gen));
  EXPECT_TRUE(ui.messages.empty());
  held.Release();
  EXPECT_EQ(1, store.EmptyFolder(gen + "/"));
  EXPECT_TRUE(Names(gen).empty());
}

TEST_F(FolderRemovalTest, EmptyAndVanishedFolders) {
  const std::string empty = tmp.MakeFolder("bk/empty");
  EXPECT_EQ(1, store.EmptyFolder(empty + "/"));
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_EQ(0, store.EmptyFolder(tmp / "bk/gone/"));
  EXPECT_EQ(std::vector<std::string>{msg::kError}, ui.messages);
  EXPECT_EQ(1, store.RenameForManualDelete(tmp / "bk/gone"));
  EXPECT_EQ(1u, ui.messages.size());  // nothing found, nothing said
}

TEST_F(FolderRemovalTest, RenameNeverReplacesAFolderAlreadyHoldingTheNewName) {
  const std::string path = tmp.MakeFolder("bk/20120917143005.0");
  tmp.Write("bk/20120917143005.A/earlier.txt", "left by hand");
  EXPECT_EQ(1, store.RenameForManualDelete(path));
  EXPECT_EQ(std::vector<std::string>{"削除できなかった" + path + "は自分で削除してください"}, ui.messages);
  EXPECT_TRUE(platform::PathExists(path));
  EXPECT_EQ("left by hand", ReadFile(tmp / "bk/20120917143005.A/earlier.txt"));

  std::filesystem::remove_all(tmp / "bk/20120917143005.A");
  ui.messages.clear();
  store.RenameForManualDelete(path);
  EXPECT_EQ(std::vector<std::string>{path + "は\n" + tmp / "bk/20120917143005.A" +
                                     "に名称変更しました自分で削除してください"},
            ui.messages);
  EXPECT_FALSE(platform::PathExists(path));
}

}  // namespace
}  // namespace talvenor::test
