// The change detection pass on real folders: what counts as a change, the order of its
// records, damaged snapshot files, failing copies and a tick that arrives during a pass.
#include <filesystem>
#include <fstream>

#include "detect/ChangeDetector.h"
#include "detect/MonitorSessionFixture.h"
#include "detect/Snapshot.h"
#include "detect/SnapshotFile.h"
#include "platform/FaultInjection.h"
#include "platform/LockedFile.h"
#include "support/PermissionsInForce.h"

namespace talvenor {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::SetWriteTime;

class ChangeDetectionTest : public test::MonitorSessionFixture {
 protected:
  void SetUp() override {
    watch.Write("a.txt", "alpha");
    watch.Write("sub/b.txt", "bravo");
    watch.Write("sub/deep/c.txt", "charlie");
    SetWriteTime(watch / "a.txt", 1'300'000'000);
    SetWriteTime(watch / "sub/b.txt", 1'300'000'000);
    session.DetectChanges(watch.path(), 0);
  }
  int Pass() {
    session.DetectChanges(watch.path(), 1);
    return session.Detector().LastChangeCount();
  }
  // A pass that lists only this folder ("" for the watched folder itself), as after its events.
  int PassListing(const std::string& folder) {
    platform::TouchedFolders touched;
    touched.listed.insert(watch.path() + "/" + folder);
    session.Detector().DetectChanges(watch.path(), 1, touched);
    EXPECT_FALSE(session.Detector().LastPassWasWhole());
    return session.Detector().LastChangeCount();
  }

  std::string& log = paths.g_logPath;
};

TEST_F(ChangeDetectionTest, ABaselineWritesTheSnapshotAndNothingElse) {
  EXPECT_TRUE(fs::exists(paths.g_snapshotPath));
  EXPECT_TRUE(Generations().empty());
  EXPECT_TRUE(ui.rows.empty());
  EXPECT_FALSE(fs::exists(log));
  EXPECT_EQ(Pass(), 0);
  session.DetectChanges(watch.path() + "/", 1);  // a trailing slash gives the same records
  EXPECT_EQ(session.Detector().LastChangeCount(), 0);
}

TEST_F(ChangeDetectionTest, NewResizedRetimedRenamedAndMovedFilesAreChanges) {
  const auto oneChange = [&](const std::string& copied) {
    EXPECT_EQ(Pass(), 1) << copied;
    ASSERT_FALSE(Generations().empty());
    EXPECT_EQ(CopiesIn(Generations().back()), std::vector<std::string>{copied});
  };
  watch.Write("sub/new.txt", "new");
  oneChange("new.txt");
  watch.Write("a.txt", "alpha, longer");
  oneChange("a.txt");
  SetWriteTime(watch / "sub/b.txt", 1'300'000'777);  // same bytes, another time
  oneChange("b.txt");
  fs::rename(watch / "sub/new.txt", watch / "sub/renamed.txt");
  oneChange("renamed.txt");
  fs::rename(watch / "sub/renamed.txt", watch / "sub/RENAMED.txt");
  oneChange("RENAMED.txt");
  fs::rename(watch / "sub/RENAMED.txt", watch / "sub/deep/RENAMED.txt");
  oneChange("RENAMED.txt");
  EXPECT_EQ(ui.messages, std::vector<std::string>{});
}

TEST_F(ChangeDetectionTest, SameSizeSameTimeContentAttributesDeletionsAndFoldersAreNot) {
  watch.Write("a.txt", "ALPHA");  // same size
  SetWriteTime(watch / "a.txt", 1'300'000'000);
  fs::permissions(watch / "sub/b.txt", fs::perms::owner_read);
  fs::remove(watch / "sub/deep/c.txt");
  watch.MakeFolder("sub/empty");
  fs::remove_all(watch / "sub/deep");
  EXPECT_EQ(Pass(), 0);
  EXPECT_TRUE(Generations().empty());
  EXPECT_TRUE(ui.rows.empty());
}

TEST_F(ChangeDetectionTest, ASnapshotThatHoldsTheScanAlreadyIsNotRewritten) {
  SetWriteTime(paths.g_snapshotPath, 1'000'000'000);
  const auto untouched = fs::last_write_time(paths.g_snapshotPath);
  const std::string before = ReadFile(paths.g_snapshotPath);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(fs::last_write_time(paths.g_snapshotPath), untouched);
  fs::remove(watch / "a.txt");  // a deletion is no change, but the scan differs: saved
  EXPECT_EQ(Pass(), 0);
  EXPECT_NE(fs::last_write_time(paths.g_snapshotPath), untouched);
  EXPECT_NE(ReadFile(paths.g_snapshotPath), before);
}

TEST_F(ChangeDetectionTest, ThreeChangesShareOneGenerationBetweenTheTwoMarkers) {
  watch.Write("x1", "1");
  watch.Write("sub/x2", "2");
  watch.Write("sub/deep/x3", "3");
  ui.calls.clear();
  EXPECT_EQ(Pass(), 3);
  EXPECT_EQ(OnlyGenerationCopies(), (std::vector<std::string>{"x1", "x2", "x3"}));
  const std::string generation = Generations().at(0);
  // The end marker first, the changes in scan order, the start marker last.
  ASSERT_EQ(ui.calls.size(), 5u);
  EXPECT_EQ(ui.calls.front(), "insert:<END>");
  EXPECT_EQ(ui.calls.back(), "insert:<START>");
  EXPECT_EQ(ui.rows.front().path, "<" + generation + ">");
  const std::string text = ReadFile(log);
  const std::string marker = "<" + generation + ">";
  EXPECT_EQ(text.find(marker), 0u);
  EXPECT_EQ(text.rfind(marker) + marker.size(), text.find_last_not_of("\r\n") + 1);
  EXPECT_NE(text.find("x1," + watch.path() + "/x1," + backup.path() + "/" + generation + "/x1"), std::string::npos);
  EXPECT_EQ(ui.logLines.size(), 5u);
}

TEST_F(ChangeDetectionTest, PruningCountsTheGenerationThePassHasJustStarted) {
  settings.BAKSZ = 1;
  backup.MakeFolder("20000101000000.0");
  watch.Write("x", "x");
  EXPECT_EQ(Pass(), 1);
  ASSERT_EQ(Generations().size(), 1u);
  EXPECT_NE(Generations()[0], "20000101000000.0");
}

TEST_F(ChangeDetectionTest, WithoutASnapshotFileEveryFileIsAChange) {
  ASSERT_TRUE(fs::remove(paths.g_snapshotPath));
  EXPECT_EQ(Pass(), 3);
  EXPECT_EQ(Pass(), 0);
}

TEST_F(ChangeDetectionTest, ADamagedSnapshotIsComparedOnlyWithTheRecordsReadBeforeTheDamage) {
  Snapshot saved;
  ASSERT_EQ(LoadSnapshot(paths.g_snapshotPath, saved), 1);
  ASSERT_EQ(saved.size(), 3u);
  fs::resize_file(paths.g_snapshotPath, fs::file_size(paths.g_snapshotPath) - 3);
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(CopiesIn(Generations().back()), std::vector<std::string>{saved.back().m_strName});

  std::ofstream(paths.g_snapshotPath, std::ios::trunc) << "garbage, not a snapshot at all";
  EXPECT_EQ(Pass(), 3);
  EXPECT_EQ(Pass(), 0);
}

TEST_F(ChangeDetectionTest, AFailedCopyIsTriedAgainAtTheNextPass) {
  fs::remove_all(backup.path());
  watch.Write("late.txt", "late");
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(ui.rows.size(), 3u);  // logged although the copy failed
  fs::create_directory(backup.path());
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"late.txt"});
  EXPECT_EQ(Pass(), 0);
}

TEST_F(ChangeDetectionTest, APassThatCopiesNothingNeitherPrunesNorLeavesAnEmptyGeneration) {
  settings.BAKSZ = 2;
  fs::create_directory(backup / "20200101000001.0");
  fs::create_directory(backup / "20200101000002.0");
  watch.Write("new.txt", "new");
  // The disk is full: the generation folder can be made, no copy can.
  {
    const platform::ScopedFaults full({.writeFailsAfterBytes = 0});
    EXPECT_EQ(Pass(), 1);
  }
  EXPECT_EQ(Generations(), (std::vector<std::string>{"20200101000001.0", "20200101000002.0"}));
  EXPECT_EQ(session.Detector().LastBackupFailures(), 1);
  // Room again: the copy is made and only then does the oldest make way.
  EXPECT_EQ(Pass(), 1);
  ASSERT_EQ(Generations().size(), 2u);
  EXPECT_EQ(Generations()[0], "20200101000002.0");
  EXPECT_EQ(CopiesIn(Generations()[1]), std::vector<std::string>{"new.txt"});
}

TEST_F(ChangeDetectionTest, ASourceThatVanishesBeforeItsCopyIsNotTriedAgain) {
  watch.Write("one.txt", "1");
  watch.Write("two.txt", "2");
  watch.Write("three.txt", "3");
  // After the first copy of the pass, the other new files go away for a while.
  test::TempDir aside;
  ui.onInsertRow = [&] {
    ui.onInsertRow = nullptr;
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) fs::rename(watch / name, aside / name);
  };
  EXPECT_EQ(Pass(), 3);
  EXPECT_EQ(session.Detector().LastBackupFailures(), 0) << "nothing for the clock to retry";
  ASSERT_EQ(Generations().size(), 1u);
  EXPECT_EQ(CopiesIn(Generations()[0]).size(), 1u);
  // Back unchanged (same size and time): the two never copied are changes still.
  for (const char* name : {"one.txt", "two.txt", "three.txt"}) fs::rename(aside / name, watch / name);
  EXPECT_EQ(Pass(), 2);
  EXPECT_EQ(Generations().size(), 2u);
}

TEST_F(ChangeDetectionTest, AnUnreadableSourceIsLoggedOnceAndCopiedOnceReadable) {
  const test::PermissionsInForce permissions;
  watch.Write("locked.txt", "secret");
  fs::permissions(watch / "locked.txt", fs::perms::none);
  EXPECT_EQ(Pass(), 1);
  EXPECT_EQ(ui.rows.size(), 3u);
  EXPECT_TRUE(Generations().empty());
  // Unchanged and still unreadable: passes set off by other changes say nothing of it, whether
  // they list only another folder, its own, or the whole tree.
  watch.Write("sub/other.txt", "unrelated");
  EXPECT_EQ(PassListing("sub/"), 1);
  watch.Write("other.txt", "unrelated");
  EXPECT_EQ(PassListing(""), 1);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(ui.rows.size(), 9u);
  ASSERT_EQ(Generations().size(), 2u);
  fs::permissions(watch / "locked.txt", fs::perms::owner_read);
  EXPECT_EQ(Pass(), 1);
  ASSERT_EQ(Generations().size(), 3u);
  EXPECT_EQ(CopiesIn(Generations()[2]), std::vector<std::string>{"locked.txt"});
  EXPECT_EQ(Pass(), 0);
}

// Whole passes, as in polling mode: the file found again at every pass changes nothing.
TEST_F(ChangeDetectionTest, AFileThatStaysUnreadableMakesNoPassWriteTheSnapshot) {
  const test::PermissionsInForce permissions;
  watch.Write("locked.txt", "secret");
  fs::permissions(watch / "locked.txt", fs::perms::none);
  EXPECT_EQ(Pass(), 1);
  SetWriteTime(paths.g_snapshotPath, 1'000'000'000);
  const auto untouched = fs::last_write_time(paths.g_snapshotPath);
  for (int pass = 0; pass < 3; ++pass) {
    EXPECT_EQ(Pass(), 0);
    EXPECT_FALSE(session.Detector().LastPassChangedSnapshot()) << pass;
  }
  EXPECT_EQ(fs::last_write_time(paths.g_snapshotPath), untouched);
}

TEST_F(ChangeDetectionTest, TheProgramsOwnFilesInsideTheWatchedTreeAreNeverCopiedAndTheirLeftoversGo) {
  // Started from a folder inside the watched tree: the log and snapshot live there.
  paths = AppPaths::InFolder(watch / "sub");
  session.DetectChanges(watch.path(), 0);
  watch.Write("other/log.csv", "a user's own file of that name");
  // Names that only begin like the program's are a user's; "backup" has the shape of the
  // six random letters of a temporary.
  for (const char* name : {"log.csv.old", "test2.dat.bak", "log_bak.csv.2023", "test2.dat.backup"})
    watch.Write(std::string("sub/") + name, "the user's");
  // Temporaries a killed save, viewing copy and trim left: never copied, gone before the save.
  const std::vector<std::string> leftovers = {"test2.dat.tmp~Ab12Cd", "log_bak.csv.tmp~x0Y1z2", "log.csv.tmp"};
  for (const auto& name : leftovers) watch.Write("sub/" + name, "left by a crash");
  EXPECT_EQ(Pass(), 5);
  for (const auto& name : leftovers) EXPECT_FALSE(fs::exists(watch / ("sub/" + name))) << name;
  ASSERT_TRUE(fs::exists(watch / "sub/log.csv"));
  ASSERT_TRUE(fs::exists(watch / "sub/test2.dat"));
  EXPECT_EQ(Pass(), 0) << "writing the log and the snapshot is no change";
  watch.Write("x.txt", "x");
  EXPECT_EQ(Pass(), 1);
  ASSERT_EQ(Generations().size(), 2u);
  EXPECT_EQ(CopiesIn(Generations()[0]), (std::vector<std::string>{"log.csv", "log.csv.old", "log_bak.csv.2023",
                                                                  "test2.dat.backup", "test2.dat.bak"}));
  EXPECT_EQ(CopiesIn(Generations()[1]), std::vector<std::string>{"x.txt"});

  // A run that starts after a crash clears them away before any pass.
  watch.Write("sub/test2.dat.tmp~Zz9Yy8", "left by a crash");
  const MonitorSession restarted(settings, paths, ui, host);
  EXPECT_FALSE(fs::exists(watch / "sub/test2.dat.tmp~Zz9Yy8"));
  EXPECT_TRUE(fs::exists(watch / "sub/test2.dat.backup"));
}

// A log left above its limit by a crash comes down at the next pass, with or without
// changes, and a pass leaves on disk no line that the size rule has cut.
TEST_F(ChangeDetectionTest, APassLeavesTheLogWithinItsLimit) {
  settings.LOGSZ = 1;
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "old line " + std::string(53, static_cast<char>('a' + i % 26)) + "\r\n";
  home.Write("log.csv", lines);
  EXPECT_EQ(Pass(), 0);
  EXPECT_EQ(ReadFile(log), lines.substr(lines.size() - 1024));
  watch.Write("new.txt", "new");
  EXPECT_EQ(Pass(), 1);
  const std::string after = ReadFile(log);
  EXPECT_LE(after.size(), 1024u);
  EXPECT_NE(after.find("new.txt,"), std::string::npos);
}

TEST_F(ChangeDetectionTest, ATickDuringAPassDoesNothingAndLeavesTheFlag) {
  int ticksDuringPass = 0;
  ui.onInsertRow = [&] {
    EXPECT_TRUE(session.IsPassRunning());
    session.SetChangeSeen(true);
    ++ticksDuringPass;
    session.OnMonitorTick();
    EXPECT_TRUE(session.ChangeSeen());
  };
  watch.Write("one", "1");
  watch.Write("two", "2");
  EXPECT_EQ(Pass(), 2);
  ui.onInsertRow = nullptr;
  EXPECT_EQ(ticksDuringPass, 4);
  EXPECT_EQ(Generations().size(), 1u);
  EXPECT_EQ(ui.rows.size(), 4u);
  EXPECT_FALSE(session.IsPassRunning());
  // The change is handled by the next tick.
  session.OnMonitorTick();
  EXPECT_FALSE(session.ChangeSeen());
  EXPECT_EQ(session.Detector().LastChangeCount(), 0);
}

// A pass asked to end (Stop or Quit while it lets the window answer) stops after the file in
// progress; the files it did not copy stay changes, so the next pass copies exactly those.
TEST_F(ChangeDetectionTest, APassAskedToEndLeavesTheFilesNotCopiedForTheNextPass) {
  const std::vector<std::string> added = {"n1.txt", "n2.txt", "sub/n3.txt", "sub/n4.txt", "sub/deep/n5.txt"};
  const struct {
    int endAfterCopies;
    bool splice;
  } cases[] = {{0, false}, {1, false}, {3, false}, {5, false}, {1, true}, {4, true}};
  int round = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "end after " << c.endAfterCopies << (c.splice ? ", splice" : ", whole"));
    const std::string tag = std::to_string(round++);
    for (const std::string& name : added) watch.Write(name, "round " + tag);
    Pass();  // copies them, and holds the tree
    for (const std::string& name : added) SetWriteTime(watch / name, 1'400'000'000 + round);
    const auto copiesSoFar = [&] {
      return std::count_if(ui.rows.begin(), ui.rows.end(), [](const auto& row) { return row.name[0] != '<'; });
    };
    const auto before = copiesSoFar();
    // Generations of one second sort .10 before .2: the copies are counted over all of them.
    const auto copiesOnDisk = [&] {
      std::size_t n = 0;
      for (const std::string& generation : Generations()) n += CopiesIn(generation).size();
      return n;
    };
    const std::size_t onDisk = copiesOnDisk();
    if (c.endAfterCopies > 0) {
      ui.onInsertRow = [&] {
        if (copiesSoFar() - before == c.endAfterCopies) session.EndPassEarly();
      };
    }
    if (c.endAfterCopies == 0) session.EndPassEarly();  // outside a pass: nothing to end
    if (c.splice) {
      platform::TouchedFolders touched;
      for (const char* folder : {"", "sub/", "sub/deep/"}) touched.listed.insert(watch.path() + "/" + folder);
      session.Detector().DetectChanges(watch.path(), 1, touched);
    } else {
      session.DetectChanges(watch.path(), 1);
    }
    ui.onInsertRow = nullptr;
    const int copied = c.endAfterCopies == 0 ? 5 : c.endAfterCopies;
    EXPECT_EQ(session.Detector().LastChangeCount(), copied);
    EXPECT_EQ(session.Detector().LastLeftCount(), 5 - copied);
    EXPECT_EQ(copiesOnDisk() - onDisk, static_cast<std::size_t>(copied));
    // The pass's markers close it in the log as in the list.
    EXPECT_EQ(ui.rows.front().name, "<START>");
    EXPECT_EQ(Pass(), 5 - copied);
    EXPECT_EQ(copiesOnDisk() - onDisk, 5u);
    EXPECT_EQ(Pass(), 0);
  }
}

}  // namespace
}  // namespace talvenor
