#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/Messages.h"
#include "detect/FolderScanner.h"
#include "platform/FaultInjection.h"
#include "platform/FileTime.h"
#include "support/MockClock.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

using namespace talvenor;
using talvenor::test::RecordingUi;
using talvenor::test::TempDir;

namespace {

struct Scan {
  RecordingUi ui;
  FolderScanner scanner{ui};
  Snapshot snapshot;
  int result = -1;

  explicit Scan(const std::string& root) {
    scanner.SetLevelPath(0, root + "/");
    result = scanner.ScanFolder(0, snapshot);
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> out;
    for (const auto& e : snapshot) out.push_back(e.m_strFolder.str() + e.m_strName);
    return out;
  }
  bool Has(const std::string& path) const {
    const auto paths = Paths();
    return std::find(paths.begin(), paths.end(), path) != paths.end();
  }
};

// One zone offset for every moment, for the guard's lifetime.
struct OffsetGuard {
  explicit OffsetGuard(long seconds) { clock.SetUtcOffset(seconds); }
  test::MockClock clock;
};

// Opening folder fails with err, for the guard's lifetime.
struct InjectGuard {
  InjectGuard(const std::string& folder, int err) : faults({.unopenableFolder = folder, .openError = err}) {}
  platform::ScopedFaults faults;
};

}  // namespace

TEST(FolderScanner, RecordsFilesDepthFirstWithFieldsOfTheRecord) {
  TempDir dir;
  dir.MakeFolder("empty/deeper");
  const std::string a = dir.Write("a.txt", "abc");
  dir.Write("sub/report.txt", "12345");
  dir.Write("sub/inner/x", "");
  dir.Write("other/report.txt", "1");
  dir.Write(".hidden", "h");
  ASSERT_EQ(chmod(a.c_str(), 0444), 0);
  test::SetWriteTime(a, 1204668489);  // 2008-03-05 07:08:09 in UTC+9

  OffsetGuard jst(9 * 3600);
  Scan scan(dir.path());
  EXPECT_EQ(scan.result, 1);
  EXPECT_TRUE(scan.ui.messages.empty());
  ASSERT_EQ(scan.snapshot.size(), 5u) << "files only; folders, empty or not, leave no record";

  const auto it = std::find_if(scan.snapshot.begin(), scan.snapshot.end(),
                               [](const CElement& e) { return e.m_strName == "a.txt"; });
  ASSERT_NE(it, scan.snapshot.end());
  EXPECT_EQ(it->m_strStamp, "20080305070809");
  EXPECT_EQ(it->m_ftWrite, 128491744890000000ULL);
  EXPECT_EQ(it->m_dwSize, 3u);
  EXPECT_EQ(it->m_strFolder.str(), dir.path() + "/");

  // Every file below a folder comes before the folder's later siblings, and both
  // report.txt records differ only by folder.
  const auto paths = scan.Paths();
  auto pos = [&](const std::string& rel) {
    return std::find(paths.begin(), paths.end(), dir.path() + "/" + rel) - paths.begin();
  };
  EXPECT_EQ(pos("sub/inner/x") - pos("sub/report.txt"), pos("sub/inner/x") > pos("sub/report.txt") ? 1 : -1);
  EXPECT_TRUE(scan.Has(dir.path() + "/other/report.txt"));
  EXPECT_TRUE(scan.Has(dir.path() + "/.hidden"));
}

TEST(FolderScanner, TwoThreadsGiveTheOrderOfOne) {
  TempDir dir;
  for (int i = 0; i < 40; ++i) {
    const std::string folder = "f" + std::to_string(i % 7) + "/g" + std::to_string(i % 5) + "/h" + std::to_string(i);
    dir.Write(folder + "/file.txt", "x");
    dir.Write("f" + std::to_string(i % 7) + "/top" + std::to_string(i), "y");
  }
  const auto scan = [&](unsigned threads) {
    RecordingUi ui;
    FolderScanner scanner(ui);
    scanner.SetThreads(threads);
    scanner.SetLevelPath(0, dir.path() + "/");
    Snapshot snapshot;
    EXPECT_EQ(scanner.ScanFolder(0, snapshot), 1);
    return snapshot;
  };
  const Snapshot one = scan(1);
  EXPECT_EQ(one.size(), 80u);
  for (int round = 0; round < 5; ++round) EXPECT_EQ(scan(2), one);
}

TEST(FolderScanner, EmptyTreeSucceedsAndAnotherZoneChangesEveryRecord) {
  TempDir dir;
  dir.MakeFolder("a/b/c");
  EXPECT_EQ(Scan(dir.path()).result, 1);
  EXPECT_TRUE(Scan(dir.path()).snapshot.empty());
  dir.Write("f", "x");
  const auto scanAt = [&](long offset) {
    OffsetGuard guard(offset);
    return Scan(dir.path()).snapshot.at(0);
  };
  const CElement winter = scanAt(3600), summer = scanAt(7200);
  EXPECT_NE(winter.m_strStamp, summer.m_strStamp);
  EXPECT_EQ(summer.m_ftWrite - winter.m_ftWrite, 3600ULL * 10000000ULL);
}

TEST(FolderScanner, KeepsLowThirtyTwoBitsOfAHugeSparseFile) {
  TempDir dir;
  const std::string big = dir.Write("big.bin", "");
  ASSERT_EQ(truncate(big.c_str(), 5000000000LL), 0);
  Scan scan(dir.path());
  ASSERT_EQ(scan.snapshot.size(), 1u);
  EXPECT_EQ(scan.snapshot[0].m_dwSize, 705032704u);
}

TEST(FolderScanner, OddNamesAreRecordedByteForByte) {
  TempDir dir;
  const std::vector<std::string> names = {
      "a,b.txt", "with space", "line\nbreak", "cr\rname", std::string("bad\xff\xfe utf8"), "表示.txt"};
  for (const auto& n : names) dir.Write("odd/" + n, n);
  Scan scan(dir.path());
  EXPECT_EQ(scan.result, 1);
  for (const auto& n : names) EXPECT_TRUE(scan.Has(dir.path() + "/odd/" + n)) << n;
}

TEST(FolderScanner, LinksFifosAndSocketsNeverLoopOrBlock) {
  TempDir dir;
  dir.Write("real/target.txt", "target!");
  ASSERT_EQ(symlink((dir.path() + "/real/target.txt").c_str(), (dir / "real/link.txt").c_str()), 0);
  ASSERT_EQ(symlink(dir.path().c_str(), (dir / "real/loop").c_str()), 0);  // a link to an ancestor
  ASSERT_EQ(symlink("/nonexistent/nowhere", (dir / "real/dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "real/fifo").c_str(), 0600), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sockPath = dir / "real/sock";
  if (sockPath.size() < sizeof addr.sun_path) {
    std::copy(sockPath.begin(), sockPath.end(), addr.sun_path);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  }
  close(sock);

  Scan scan(dir.path());
  EXPECT_EQ(scan.result, 1);
  ASSERT_EQ(scan.snapshot.size(), 2u);
  EXPECT_TRUE(scan.Has(dir.path() + "/real/target.txt"));
  EXPECT_TRUE(scan.Has(dir.path() + "/real/link.txt"));
  for (const auto& e : scan.snapshot) EXPECT_EQ(e.m_dwSize, 7u) << "a linked file counts as its target";
}

TEST(FolderScanner, ErrorRowsOfTheListing) {
  TempDir dir;
  dir.Write("a/1.txt", "1");
  dir.Write("b/2.txt", "2");
  dir.Write("c/3.txt", "3");

  // Denied and not ready are reported, a folder that vanished after its parent listed it is
  // silent; each time nothing comes from it and the scan goes on.
  for (const auto& [err, shown] : std::vector<std::pair<int, std::vector<std::string>>>{
           {EACCES, {msg::kAccessDenied}}, {EIO, {msg::kDiskNotReady}}, {ENOENT, {}}}) {
    InjectGuard g(dir / "b", err);
    Scan scan(dir.path());
    EXPECT_EQ(scan.result, 1) << err;
    EXPECT_EQ(scan.ui.messages, shown) << err;
    EXPECT_FALSE(scan.Has(dir.path() + "/b/2.txt")) << err;
    EXPECT_TRUE(scan.Has(dir.path() + "/a/1.txt") && scan.Has(dir.path() + "/c/3.txt")) << err;
  }
  {  // any other error ends the whole scan, keeping what was recorded
    InjectGuard g(dir / "b", EMFILE);
    Scan scan(dir.path());
    EXPECT_EQ(scan.result, 0);
    EXPECT_EQ(scan.ui.messages, std::vector<std::string>{msg::kError});
    EXPECT_LE(scan.snapshot.size(), 2u);
    EXPECT_FALSE(scan.Has(dir.path() + "/b/2.txt"));
  }
  {  // a path the system refuses leaves out that folder only, and says so once
    InjectGuard g(dir / "b", ENAMETOOLONG);
    RecordingUi ui;
    FolderScanner scanner(ui);
    for (int pass = 0; pass < 2; ++pass) {
      Snapshot snapshot;
      scanner.SetLevelPath(0, dir.path() + "/");
      EXPECT_EQ(scanner.ScanFolder(0, snapshot), 1);
      EXPECT_EQ(snapshot.size(), 2u) << "a/1.txt and c/3.txt";
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.notices, std::vector<std::string>{msg::Format(msg::kFolderOutOfReach, {dir.path() + "/b/"})});
  }
  {  // the watched folder itself missing is an error, not a silent empty scan
    Scan scan(dir.path() + "/missing");
    EXPECT_EQ(scan.result, 0);
    EXPECT_EQ(scan.ui.messages, std::vector<std::string>{msg::kError});
  }
}

TEST(FolderScanner, RealPermissionDenialWhenNotRoot) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder; the injected case covers it";
  TempDir dir;
  dir.Write("locked/x", "x");
  dir.Write("open/y", "y");
  ASSERT_EQ(chmod((dir / "locked").c_str(), 0), 0);
  Scan scan(dir.path());
  EXPECT_EQ(scan.result, 1);
  EXPECT_EQ(scan.ui.messages, std::vector<std::string>{msg::kAccessDenied});
  EXPECT_TRUE(scan.Has(dir.path() + "/open/y"));
}

TEST(FolderScanner, AFolderBelowTheDeepestLevelIsLeftOutAndTheWalkGoesOn) {
  TempDir dir;
  // 255 folders below the watched folder; the deepest holds a file, then a subfolder.
  std::string rel;
  for (int i = 0; i < 255; ++i) rel += "d/";
  dir.Write(rel + "deep.txt", "x");
  dir.Write(rel + "one-too-many/lost.txt", "x");
  for (const char* name : {"a.txt", "z.txt", "e/after.txt"}) dir.Write(name, "x");
  for (const char* name : {"before.txt", "zz-after.txt"}) dir.Write(rel + name, "x");
  Scan scan(dir.path());
  EXPECT_EQ(scan.result, 1);
  EXPECT_TRUE(scan.ui.messages.empty());
  EXPECT_EQ(scan.ui.notices,
            std::vector<std::string>{msg::Format(msg::kFolderOutOfReach, {dir.path() + "/" + rel + "one-too-many/"})});
  EXPECT_EQ(scan.snapshot.size(), 6u) << "every file but the one out of reach";
  EXPECT_FALSE(scan.Has(dir.path() + "/" + rel + "one-too-many/lost.txt"));
}

TEST(FolderScanner, AFolderThatCanBeReadButNotSearchedDeniesAccess) {
  TempDir dir;
  dir.Write("listable/x", "x");
  dir.Write("open/y", "y");
  // Readable, not searchable, for the unprivileged user the child becomes (0600 to its owner).
  ASSERT_EQ(chmod((dir / "listable").c_str(), geteuid() == 0 ? 0644 : 0600), 0);
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  // Root searches every folder: the scan runs in a child that has given that up.
  const int child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    Scan scan(dir.path());
    const bool reported = scan.ui.messages == std::vector<std::string>{msg::kAccessDenied};
    _exit(scan.result == 1 && reported && scan.Paths() == std::vector<std::string>{dir.path() + "/open/y"} ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "could not give up root";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the folder is reported once, its sibling still recorded";
}
