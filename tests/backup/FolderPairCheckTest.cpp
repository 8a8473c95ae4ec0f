#include <filesystem>

#include "BackupFixture.h"
#include "core/Messages.h"

namespace talvenor::test {
namespace {

using FolderPairCheckTest = BackupFixture;

TEST_F(FolderPairCheckTest, TextualTableIsKeptAsUsersKnowIt) {
  const std::string data = tmp.MakeFolder("Data");
  tmp.MakeFolder("Data/bk");
  tmp.MakeFolder("Data2");
  tmp.MakeFolder("data");
  struct Case {
    std::string watch, backup;
    int expected;
  };
  const Case cases[] = {
      {data, data, 0},
      {data, data + "/bk", 0},
      {data, tmp / "Data2", 0},  // a sibling that merely begins with the watched name
      {data, tmp / "Data2/../Data3", 0},
      {tmp / "Data2", data, 1},
      {tmp / "data", data + "/bk", 1},  // case matters
      {data, tmp.path(), 1},            // watched folder inside the backup folder
      {"", data, 0},                    // an empty watched path refuses everything
      {data, "", 1},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    EXPECT_EQ(c.expected, store.CheckFolderPair(c.watch, c.backup)) << c.watch << " | " << c.backup;
    if (c.expected == 0) {
      EXPECT_EQ(std::vector<std::string>{msg::kSameFolders}, ui.messages);
    } else {
      EXPECT_TRUE(ui.messages.empty());
    }
  }
}

TEST_F(FolderPairCheckTest, BackupFolderResolvingIntoTheWatchedFolderIsRefused) {
  const std::string data = tmp.MakeFolder("Data");
  tmp.MakeFolder("Data/inner");
  tmp.MakeFolder("other");
  std::filesystem::create_directory_symlink(data + "/inner", tmp / "link-in");
  std::filesystem::create_directory_symlink(data, tmp / "link-same");
  std::filesystem::create_directory_symlink(tmp / "other", tmp / "link-out");

  EXPECT_EQ(0, store.CheckFolderPair(data, tmp / "link-in"));
  EXPECT_EQ(0, store.CheckFolderPair(data, tmp / "link-same"));
  EXPECT_EQ(0, store.CheckFolderPair(data, tmp / "other/../Data/inner"));
  // The watched folder given through a link is resolved as well.
  EXPECT_EQ(0, store.CheckFolderPair(tmp / "link-same", data + "/inner"));
  EXPECT_EQ(4u, ui.messages.size());

  ui.messages.clear();
  EXPECT_EQ(1, store.CheckFolderPair(data, tmp / "link-out"));
  EXPECT_EQ(1, store.CheckFolderPair(data, tmp / "missing"));
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace talvenor::test
