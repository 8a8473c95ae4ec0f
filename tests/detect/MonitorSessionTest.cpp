// Start, Stop and the tick of a monitoring session, with a real watcher thread.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/FolderScanner.h"
#include "detect/FolderSize.h"
#include "detect/MonitorSessionFixture.h"
#include "detect/SnapshotFile.h"
#include "detect/WatcherThread.h"
#include "platform/DirReader.h"
#include "platform/FaultInjection.h"
#include "support/FakeWatcher.h"

namespace talvenor {
namespace {

namespace fs = std::filesystem;

class MonitorSessionTest : public test::MonitorSessionFixture {
 protected:
  void SetUp() override {
    watch.Write("old.txt", "old");
    watch.Write("sub/older.txt", "older");
  }
  // Fills the watched tree to exactly this many bytes with one sparse file.
  void FillTo(std::uintmax_t bytes) {
    fs::remove_all(watch / "sub");
    fs::remove(watch / "old.txt");
    watch.Write("sub/big.bin", "");
    fs::resize_file(watch / "sub/big.bin", bytes);
  }
  // What "test2.dat" must hold: the records of a whole scan of the watched tree.
  std::string WholeScan() const {
    test::RecordingUi quiet;
    FolderScanner scanner(quiet);
    scanner.SetLevelPath(0, watch.path() + "/");
    Snapshot scan;
    scanner.ScanFolder(0, scan);
    return EncodeSnapshot(scan);
  }
  // A pass after a change the watcher reported.
  void PassAfter(const std::string& name, const std::string& contents) {
    watch.Write(name, contents);
    ASSERT_TRUE(WaitForFlag()) << name;
    session.OnMonitorTick();
  }
  void ExpectRefused() {
    EXPECT_FALSE(session.IsRunning());
    EXPECT_FALSE(session.IsRunning());
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "running"), 0);
    EXPECT_EQ(host.timerMs, 0);
    EXPECT_FALSE(ui.progressOpen);
  }
};

TEST_F(MonitorSessionTest, StartRunsItsStepsInOrderAndStopUndoesThem) {
  settings.LEVEL = 10;
  session.StartMonitoring();
  EXPECT_TRUE(session.IsRunning());
  EXPECT_EQ(host.calls, (std::vector<std::string>{"pull", "running", "timer:10000", "hide"}));
  EXPECT_EQ(ui.calls.front(), std::string("progress-open:") + msg::kFolderSizeTitle);
  EXPECT_EQ(ui.calls.back(), "progress-close");
  EXPECT_TRUE(fs::exists(paths.g_snapshotPath));  // FIRST 0: the baseline
  host.calls.clear();
  session.StopMonitoring();
  EXPECT_EQ(host.calls, (std::vector<std::string>{"stopped", "kill-timer"}));
  EXPECT_FALSE(session.IsRunning());
}

TEST_F(MonitorSessionTest, BadFolderPairsAreRefusedWithOneMessage) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {watch.path(), ""},
      {watch.path() + "/", backup.path()},
      {watch.path(), backup.path() + "/"},
      {watch.path(), backup / "missing"},
      {watch / "old.txt", backup.path()},
  };
  for (const auto& [dir1, dir2] : pairs) {
    settings.DIR1 = dir1;
    settings.DIR2 = dir2;
    ui.messages.clear();
    session.StartMonitoring();
    EXPECT_EQ(ui.messages, std::vector<std::string>{msg::kCheckFolders}) << dir1 << " | " << dir2;
    ExpectRefused();
  }
  EXPECT_FALSE(fs::exists(paths.g_snapshotPath));
}

TEST_F(MonitorSessionTest, ABackupFolderInsideTheWatchedOneShowsBothMessages) {
  settings.DIR2 = watch.MakeFolder("bk");
  session.StartMonitoring();
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1], msg::kCheckFolders);
  ExpectRefused();
}

// A pair that will be refused costs no walk of the watched tree and no question about its size.
TEST_F(MonitorSessionTest, ARefusedPairIsRefusedBeforeAnyWalk) {
  FillTo(10'000'001);
  const std::string inside = watch.MakeFolder("bk");
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"", backup.path()}, {watch.path(), ""}, {watch.path(), backup / "missing"}, {watch.path(), inside}};
  for (const auto& [dir1, dir2] : pairs) {
    settings.DIR1 = dir1;
    settings.DIR2 = dir2;
    ui.messages.clear();
    const int walked = ProcessFolderCounter().value;
    session.StartMonitoring();
    EXPECT_EQ(ProcessFolderCounter().value, walked) << dir1 << " | " << dir2;
    EXPECT_EQ(ui.messages.back(), msg::kCheckFolders) << dir1 << " | " << dir2;
    ExpectRefused();
  }
}

TEST_F(MonitorSessionTest, TheSizeQuestionComesOnlyAboveTenMillionBytesAndCancelEndsStart) {
  FillTo(10'000'000);
  session.StartMonitoring();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(session.IsRunning());
  session.StopMonitoring();
  host.calls.clear();

  fs::resize_file(watch / "sub/big.bin", 10'000'001);
  ui.answers.push_back(false);
  session.StartMonitoring();
  EXPECT_EQ(ui.messages, std::vector<std::string>{msg::kFolderTooLarge});
  ExpectRefused();

  ui.answers.push_back(true);
  session.StartMonitoring();
  EXPECT_TRUE(session.IsRunning());
  session.StopMonitoring();

  // Cancelled in the progress window: Start ends silently.
  ui.messages.clear();
  host.calls.clear();
  ui.cancelAfterPumps = 0;
  session.StartMonitoring();
  EXPECT_TRUE(ui.messages.empty());
  ExpectRefused();
}

TEST_F(MonitorSessionTest, ASecondStartWhileCheckingIsRefusedQuietly) {
  int nested = 0;
  ui.onPump = [&] {
    EXPECT_TRUE(session.IsStarting());
    ++nested;
    session.StartMonitoring();
  };
  session.StartMonitoring();
  ui.onPump = nullptr;
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "progress-close"), 1);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "running"), 1);
  EXPECT_TRUE(session.IsRunning());
  EXPECT_FALSE(session.IsStarting());
}

TEST_F(MonitorSessionTest, FirstZeroNeverCopiesWhatExistedAtStart) {
  session.StartMonitoring();
  session.SetChangeSeen(true);
  session.OnMonitorTick();
  EXPECT_TRUE(Generations().empty());
  watch.Write("sub/fresh.txt", "fresh");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"fresh.txt"});
}

TEST_F(MonitorSessionTest, FirstOneWithoutASnapshotCopiesEverythingAtTheFirstChange) {
  settings.FIRST = 1;
  session.StartMonitoring();
  EXPECT_FALSE(fs::exists(paths.g_snapshotPath));
  session.OnMonitorTick();  // nothing seen yet: no pass
  EXPECT_FALSE(fs::exists(paths.g_snapshotPath));
  watch.Write("new.txt", "new");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), (std::vector<std::string>{"new.txt", "old.txt", "older.txt"}));
}

// Stop while a pass lets the window answer: the session stops once the file in progress is
// copied, never under the pass, and the user hears how many files wait for the next pass.
TEST_F(MonitorSessionTest, StopDuringAPassTakesEffectAfterTheFileInProgress) {
  settings.FIRST = 1;
  session.StartMonitoring();
  watch.Write("new.txt", "new");
  ASSERT_TRUE(WaitForFlag());
  host.calls.clear();
  int copiesWhenStopped = -1;
  ui.onInsertRow = [&] {
    if (copiesWhenStopped >= 0) return;
    copiesWhenStopped = 1;
    session.StopMonitoring();
    EXPECT_TRUE(session.IsRunning());  // not under the pass
    EXPECT_EQ(host.calls, std::vector<std::string>{"pull"});
  };
  session.OnMonitorTick();
  ui.onInsertRow = nullptr;
  EXPECT_FALSE(session.IsRunning());
  EXPECT_EQ(host.calls, (std::vector<std::string>{"pull", "stopped", "kill-timer"}));
  EXPECT_EQ(OnlyGenerationCopies().size(), 1u);
  EXPECT_EQ(ui.notices, std::vector<std::string>{msg::Format(msg::kFilesLeftForNextPass, {"2"})});
  session.StartMonitoring();
  watch.Write("sub/newer.txt", "newer");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(session.Detector().LastChangeCount(), 3);  // the two left, and the newer one
}

TEST_F(MonitorSessionTest, AChangeSeenJustBeforeStopIsHandledInTheNextSession) {
  settings.FIRST = 1;
  session.DetectChanges(watch.path(), 0);
  session.StartMonitoring();
  watch.Write("sub/late.txt", "late");
  ASSERT_TRUE(WaitForFlag());
  session.StopMonitoring();
  EXPECT_TRUE(session.ChangeSeen());
  EXPECT_TRUE(Generations().empty());
  session.StartMonitoring();
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"late.txt"});
}

TEST_F(MonitorSessionTest, AWatchedFolderThatVanishesAndReturnsIsWatchedAgain) {
  // Empty, so that the folder's own removal is the only event: it alone must start the pass.
  fs::remove_all(watch / "sub");
  fs::remove(watch / "old.txt");
  session.StartMonitoring();
  fs::remove(watch.path());
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();  // the scan reports the missing folder and the pass goes on
  EXPECT_EQ(ui.messages, std::vector<std::string>{msg::kError});
  watch.Write("again.txt", "again");
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"again.txt"});
}

TEST_F(MonitorSessionTest, ACopyTheBackupSideRefusedIsTriedAgainWithoutAnotherChange) {
  session.StartMonitoring();
  fs::remove_all(backup.path());
  watch.Write("report.txt", "important");
  session.SetChangeSeen(true);
  session.OnMonitorTick();
  EXPECT_EQ(ui.rows.size(), 3u) << "logged although the copy failed";
  fs::create_directory(backup.path());
  // No event at all: the retry comes by itself within a few ticks.
  session.SetChangeSeen(false);
  for (int tick = 0; tick < 3 && Generations().empty(); ++tick) session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"report.txt"});
}

// A backup disk unplugged from under its mount point leaves the empty mount folder of the
// system disk behind: copies made there would vanish behind the next mount of the real disk.
TEST_F(MonitorSessionTest, ABackupFolderFoundOnAnotherDiskGetsNoCopyUntilItsDiskIsBack) {
  test::TempDir other("/dev/shm");
  struct stat here {};
  struct stat there {};
  if (::stat(backup.path().c_str(), &here) != 0 || ::stat(other.path().c_str(), &there) != 0 ||
      here.st_dev == there.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  // The backup folder's name stands for the mount point: a link that is pointed elsewhere.
  const std::string mountPoint = home / "disk";
  fs::create_directory_symlink(backup.path(), mountPoint);
  settings.DIR2 = mountPoint;
  session.StartMonitoring();
  ASSERT_TRUE(session.IsRunning());
  fs::remove(mountPoint);
  fs::create_directory_symlink(other.path(), mountPoint);
  watch.Write("report.txt", "important");
  session.SetChangeSeen(true);
  session.OnMonitorTick();
  EXPECT_TRUE(fs::is_empty(other.path())) << "copied onto the wrong disk";
  EXPECT_EQ(ui.notices.size(), 1u);
  fs::remove(mountPoint);
  fs::create_directory_symlink(backup.path(), mountPoint);
  // The disk is back: the copy follows at the next tick, with no change to start it.
  session.SetChangeSeen(false);
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"report.txt"});
}

TEST_F(MonitorSessionTest, AFileSavedRightAfterTheBaselineIsSeen) {
  // The timer is set right after the baseline pass: a save at that moment must not slip
  // between the baseline and the watcher.
  host.onStartTimer = [&] { watch.Write("sub/just-saved.txt", "saved"); };
  session.StartMonitoring();
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"just-saved.txt"});
}

TEST_F(MonitorSessionTest, ALinksTargetWrittenOutsideTheTreeIsCopiedAtTheNextTick) {
  test::TempDir outside;
  fs::create_symlink(outside.Write("target.txt", "t"), watch / "sub/link.txt");
  session.StartMonitoring();
  session.OnMonitorTick();
  EXPECT_TRUE(Generations().empty());
  outside.Write("target.txt", "written outside the tree, where no watch is");
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"link.txt"});
}

TEST_F(MonitorSessionTest, AFolderMadeReadableAgainStartsAPass) {
  session.StartMonitoring();
  // Root reads every folder: the denial is made at the listing.
  {
    const platform::ScopedFaults denied({.unopenableFolder = watch / "sub", .openError = EACCES});
    watch.Write("sub/written-while-locked.txt", "x");
    ASSERT_TRUE(WaitForFlag());
    session.OnMonitorTick();
  }
  EXPECT_EQ(ui.messages, std::vector<std::string>{msg::kAccessDenied});
  EXPECT_TRUE(Generations().empty());
  fs::permissions(watch / "sub", fs::perms::owner_all);
  ASSERT_TRUE(WaitForFlag()) << "the folder's new permissions alone start a pass";
  session.OnMonitorTick();
  // What the denied pass could not record counts as new, as after any denied listing.
  EXPECT_EQ(OnlyGenerationCopies(), (std::vector<std::string>{"older.txt", "written-while-locked.txt"}));
}

TEST_F(MonitorSessionTest, AWriteNoEventReportsIsFoundByTheHourlyWholeScan) {
  const std::string path = watch.Write("sub/mapped.bin", std::string(4096, 'a'));
  test::SetWriteTime(path, 1'300'000'000);
  session.StartMonitoring();
  // Written through a memory mapping: the time changes, the kernel reports nothing (until
  // the mapping goes, which closes the file).
  const int fd = open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  void* map = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ASSERT_NE(map, MAP_FAILED);
  close(fd);
  static_cast<char*>(map)[0] = 'b';
  session.OnMonitorTick();
  EXPECT_TRUE(Generations().empty()) << "within the hour only what events report is looked at";
  session.SetWholeScanInterval(std::chrono::seconds(0));
  session.OnMonitorTick();
  munmap(map, 4096);
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"mapped.bin"});
}

TEST_F(MonitorSessionTest, WhileTheWatchLimitForcesPollingEveryPassScansTheWholeTree) {
  auto owned = std::make_unique<test::FakeWatcher>();
  test::FakeWatcher& watcher = *owned;
  session.Watcher().UseWatcher(std::move(owned));
  session.StartMonitoring();
  watcher.HitWatchLimit();
  watch.Write("unwatched/first.txt", "1");  // its folder got no watch
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"first.txt"});
  test::SetWriteTime(watch / "unwatched/first.txt", 1'000'000'000);  // no watch sees it
  watch.Write("sub/seen.txt", "seen");                               // a watch sees this
  watcher.Report(
      [&](platform::TouchedFolderCollector& touched) { return touched.FileChanged(watch / "sub", "seen.txt", false); });
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  ASSERT_EQ(Generations().size(), 2u);
  EXPECT_EQ(CopiesIn(Generations()[1]), (std::vector<std::string>{"first.txt", "seen.txt"}));
  EXPECT_TRUE(session.Detector().LastPassWasWhole());
  EXPECT_EQ(ui.messages, std::vector<std::string>{msg::kWatchLimitReached}) << "said once";
}

TEST_F(MonitorSessionTest, OneWalkAtStartGivesTheBaselineOfAScanAndMissesNothingWrittenMeanwhile) {
  watch.Write("sub/deeper/x.txt", "x");
  // Written while the size walk goes on, into a folder it has already summed.
  ui.onPump = [&] {
    ui.onPump = nullptr;
    watch.Write("sub/during-the-walk.txt", "late");
  };
  session.StartMonitoring();
  ASSERT_TRUE(session.IsRunning());
  test::RecordingUi quiet;
  FolderScanner scanner(quiet);
  scanner.SetLevelPath(0, watch.path() + "/");
  Snapshot scan;
  scanner.ScanFolder(0, scan);
  std::erase_if(scan, [](const CElement& e) { return e.m_strName == "during-the-walk.txt"; });
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), EncodeSnapshot(scan)) << "the walk's records, in scan order";
  ASSERT_TRUE(WaitForFlag());
  session.OnMonitorTick();
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"during-the-walk.txt"});
}

// A pass that changes the snapshot leaves it to be saved once the tree is quiet: the copy is
// made at once, the file is written once for a whole busy spell.
TEST_F(MonitorSessionTest, PassesLeaveTheSnapshotToBeSavedOnceTheTreeIsQuiet) {
  using namespace std::chrono_literals;
  session.StartMonitoring();
  const std::string baseline = test::ReadFile(paths.g_snapshotPath);
  ASSERT_EQ(baseline, WholeScan()) << "the baseline of Start is saved at once";
  session.SetSaveDelays(1h, 1h);
  PassAfter("sub/new.txt", "new");
  EXPECT_EQ(OnlyGenerationCopies(), std::vector<std::string>{"new.txt"});
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), baseline) << "a pass with a change wrote the snapshot";
  EXPECT_EQ(host.saveTimerMs, kSaveTimerMilliseconds);
  session.OnSaveTimer();
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), baseline) << "saved before the tree was quiet";

  session.SetSaveDelays(1ms, 1h);
  std::this_thread::sleep_for(5ms);
  session.SetChangeSeen(true);  // a change seen and not passed yet: the tree is not quiet
  session.OnSaveTimer();
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), baseline);
  session.SetChangeSeen(false);
  std::this_thread::sleep_for(5ms);
  session.OnSaveTimer();
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), WholeScan());
  EXPECT_EQ(host.saveTimerMs, 0);

  // A tree that never rests is saved all the same, at the latest after the longest delay.
  session.SetSaveDelays(1h, 0ms);
  PassAfter("sub/busy.txt", "busy");
  session.SetChangeSeen(true);
  session.OnSaveTimer();
  session.SetChangeSeen(false);
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), WholeScan());
}

TEST_F(MonitorSessionTest, WhatEverEndsASessionSavesTheSnapshotItsPassesLeftUnsaved) {
  const std::vector<std::pair<std::string, std::function<void()>>> ends = {
      {"stop", [&] { session.StopMonitoring(); }},
      // Quit in the window and a terminating signal in the terminal both end here.
      {"quit", [&] { session.StopWatcher(); }},
  };
  for (const auto& [name, end] : ends) {
    session.StartMonitoring();
    session.SetSaveDelays(std::chrono::hours(1), std::chrono::hours(1));
    PassAfter("sub/" + name + ".txt", name);
    ASSERT_TRUE(session.Detector().SnapshotUnsaved()) << name;
    ASSERT_NE(test::ReadFile(paths.g_snapshotPath), WholeScan()) << name;
    end();
    EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), WholeScan()) << name;
    EXPECT_FALSE(session.Detector().SnapshotUnsaved()) << name;
    EXPECT_EQ(host.saveTimerMs, 0) << name;
    session.StopMonitoring();
  }
}

// Killed between saves, the file holds an older scan: the next Start (FIRST 1) copies again what
// changed since, and misses nothing, whether the file was older or missing altogether.
TEST_F(MonitorSessionTest, AKillBetweenSavesLosesNoCopyAndMissesNoChange) {
  settings.FIRST = 1;
  session.StartMonitoring();
  session.SetSaveDelays(std::chrono::hours(1), std::chrono::hours(1));
  PassAfter("new.txt", "1");
  EXPECT_EQ(OnlyGenerationCopies(), (std::vector<std::string>{"new.txt", "old.txt", "older.txt"}));
  EXPECT_FALSE(fs::exists(paths.g_snapshotPath));
  // No file yet is a file the session knows: it still lists only what changed.
  PassAfter("sub/older.txt", "2");
  ASSERT_EQ(Generations().size(), 2u);
  EXPECT_EQ(CopiesIn(Generations()[1]), std::vector<std::string>{"older.txt"});
  session.StopMonitoring();
  const std::string saved = test::ReadFile(paths.g_snapshotPath);

  session.StartMonitoring();
  session.SetSaveDelays(std::chrono::hours(1), std::chrono::hours(1));
  PassAfter("new.txt", "3");
  ASSERT_EQ(test::ReadFile(paths.g_snapshotPath), saved);
  // Killed: nothing more is saved, and the kernel lets go of the log.
  session.Watcher().Stop();
  session.Log().Close();
  watch.Write("old.txt", "4");  // changed while nothing ran

  test::RecordingUi laterUi;
  test::RecordingHost laterHost;
  MonitorSession later{settings, paths, laterUi, laterHost};
  later.StartMonitoring();
  watch.Write("sub/older.txt", "5");
  ASSERT_TRUE(WaitForFlag(later));
  later.OnMonitorTick();
  later.StopMonitoring();
  // Every file has a copy of what it holds now.
  for (const char* file : {"new.txt", "old.txt", "sub/older.txt"}) {
    const std::string now = test::ReadFile(watch / file);
    bool copied = false;
    for (const std::string& generation : Generations())
      copied = copied || test::ReadFile(backup / generation / fs::path(file).filename()) == now;
    EXPECT_TRUE(copied) << file << " holds " << now;
  }
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), WholeScan());
}

// A file someone else wrote while the session's snapshot waited is not overwritten by the
// wait: the next pass compares with it, as it would have without the wait.
TEST_F(MonitorSessionTest, ASnapshotFileWrittenBySomeoneElseIsReadNotOverwritten) {
  session.StartMonitoring();
  session.SetSaveDelays(std::chrono::hours(1), std::chrono::hours(1));
  PassAfter("sub/new.txt", "new");
  const std::string empty = EncodeSnapshot({});
  const std::string aside = home / "aside.dat";
  { std::ofstream(aside, std::ios::binary) << empty; }
  fs::rename(aside, paths.g_snapshotPath);
  session.SetSaveDelays(std::chrono::milliseconds(0), std::chrono::hours(1));
  session.OnSaveTimer();
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), empty);
  EXPECT_FALSE(session.Detector().SnapshotUnsaved());
  PassAfter("sub/other.txt", "other");
  ASSERT_EQ(Generations().size(), 2u);
  EXPECT_EQ(CopiesIn(Generations()[1]).size(), 4u) << "every file is new to an empty snapshot";
}

}  // namespace
}  // namespace talvenor
