// Passes that list only the folders events touched, driven by hundreds of random changes: after
// every pass the held snapshot and "test2.dat" must be byte for byte what a whole scan gives,
// and the copies logged the same as a pass that scans everything.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>

#include "detect/ChangeDetector.h"
#include "detect/FolderScanner.h"
#include "detect/MonitorSessionFixture.h"
#include "detect/SnapshotFile.h"
#include "platform/linux/InotifyWatcher.h"
#include "support/InotifyQueue.h"
#include "support/PermissionsInForce.h"

namespace talvenor {
namespace {

namespace fs = std::filesystem;
using platform::InotifyWatcher;

class IncrementalPassTest : public test::MonitorSessionFixture {
 protected:
  void SetUp() override {
    for (const char* name : {"a/1.txt", "a/b/2.txt", "a/b/c/3.txt", "d/4.txt", "top.txt"}) watch.Write(name, name);
    refSettings.DIR1 = watch.path();
    refSettings.DIR2 = refBackup.path();
    watcher.Touched().RaiseOnChange(&flag);
    ASSERT_TRUE(watcher.Open(watch.path()));
    session.DetectChanges(watch.path(), 0);
    reference.DetectChanges(watch.path(), 0);
  }

  // Every event is queued when its call returns: one step without waiting reads them all.
  // Returns whether a pass ran (only changes that raise the flag start one).
  bool Pass() {
    while (watcher.Step(0) == InotifyWatcher::StepResult::Changed) watcher.Touched().RaiseFlag();
    bool raised = false;
    platform::TouchedFolders touched = watcher.Touched().TakeTouched(flag, raised);
    // As the tick does: a link's target or another name of a file changes with no event here.
    if (!raised) {
      if (!session.Detector().IndirectFilesChanged()) return false;
      flag = 1;
      touched = watcher.Touched().TakeTouched(flag, raised);
    }
    session.Detector().DetectChanges(watch.path(), 1, touched);
    reference.DetectChanges(watch.path(), 1);
    return true;
  }

  void ExpectSameAsWholeScan(const std::string& when) {
    test::RecordingUi quiet;
    FolderScanner scanner(quiet);
    scanner.SetLevelPath(0, watch.path() + "/");
    Snapshot scan;
    scanner.ScanFolder(0, scan);
    const std::string saved = test::ReadFile(paths.g_snapshotPath);
    EXPECT_EQ(saved, EncodeSnapshot(scan)) << when;
    ASSERT_NE(session.Detector().HeldSnapshot(), nullptr) << when;
    EXPECT_EQ(EncodeTree(*session.Detector().HeldSnapshot()), saved) << when;
    EXPECT_EQ(session.Detector().LastChangeCount(), reference.Detector().LastChangeCount()) << when;
    ASSERT_EQ(ui.rows.size(), refUi.rows.size()) << when;
    for (std::size_t i = 0; i < ui.rows.size(); ++i) {
      if (ui.rows[i].name.front() == '<') continue;  // a marker names its own generation
      EXPECT_EQ(ui.rows[i].name + " " + ui.rows[i].path, refUi.rows[i].name + " " + refUi.rows[i].path) << when;
    }
  }

  test::TempDir outside;
  test::TempDir refBackup;
  test::TempDir refHome;
  Settings refSettings;
  AppPaths refPaths = AppPaths::InFolder(refHome.path());
  test::RecordingUi refUi;
  test::RecordingHost refHost;
  MonitorSession reference{refSettings, refPaths, refUi, refHost};
  InotifyWatcher watcher;
  std::atomic<int> flag{0};
};

// The folders and files below root, relative, in a stable order.
void ListTree(const std::string& root, std::vector<std::string>& folders, std::vector<std::string>& files) {
  folders = {""};
  files.clear();
  std::vector<fs::path> all;
  // By hand: links into a folder made unreadable, and such folders, are met without a throw.
  const std::function<void(const fs::path&)> walk = [&](const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      all.push_back(it->path());
      if (it->is_directory(ec) && !it->is_symlink(ec)) walk(it->path());
    }
  };
  walk(root);
  std::sort(all.begin(), all.end());
  for (const fs::path& path : all) {
    const std::string rel = path.lexically_relative(root).string();
    std::error_code ec;  // a link into a folder made unreadable
    (fs::is_directory(path, ec) ? folders : files).push_back(rel);
  }
}

TEST_F(IncrementalPassTest, HundredsOfRandomChangesGiveWhatAWholeScanGives) {
  const test::PermissionsInForce permissions;  // a folder made unreadable is, also for root
  std::mt19937 random(20260101);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const auto name = [&] { return "n" + std::to_string(std::uniform_int_distribution<int>(0, 30)(random)); };
  const auto under = [&](const std::string& folder, const std::string& leaf) {
    return watch / (folder.empty() ? leaf : folder + "/" + leaf);
  };
  std::vector<std::string> folders, files, away;
  std::string denied;
  int passes = 0, spliced = 0, changes = 0;
  for (int round = 0; changes < 300; ++round) {
    const int steps = std::uniform_int_distribution<int>(1, 4)(random);
    for (int step = 0; step < steps; ++step, ++changes) {
      ListTree(watch.path(), folders, files);
      const std::string folder = pick(folders);
      std::error_code ec;
      try {
        const int op = std::uniform_int_distribution<int>(0, 16)(random);
        const fs::path external = outside / ("ext" + std::to_string(random() % 3) + ".txt");
        switch (op) {
          case 0:
          case 1:  // a new file, or one written again
            watch.Write(fs::relative(under(folder, name() + ".txt"), watch.path()), std::string(random() % 40, 'x'));
            break;
          case 2:
            if (!files.empty()) watch.Write(pick(files), std::string(random() % 40, 'y'));
            break;
          case 3:
            if (!files.empty()) fs::remove(watch / pick(files), ec);
            break;
          case 4:  // renamed, maybe into another folder
            if (!files.empty()) fs::rename(watch / pick(files), under(pick(folders), name() + ".txt"), ec);
            break;
          case 5:  // a new folder, maybe holding files
            fs::create_directories(under(folder, name() + "/" + name()), ec);
            if (random() % 2) watch.Write(fs::relative(under(folder, name() + "/f.txt"), watch.path()), "f");
            break;
          case 6:  // a folder renamed or moved within the tree
            if (!folder.empty()) fs::rename(watch / folder, under(pick(folders), name()), ec);
            break;
          case 7:  // out of the tree, and later back
            if (!folder.empty()) {
              away.push_back(outside / ("away" + std::to_string(changes)));
              fs::rename(watch / folder, away.back(), ec);
            } else if (!away.empty()) {
              fs::rename(away.back(), under(pick(folders), name()), ec);
              away.pop_back();
            }
            break;
          case 8:  // a folder made unreadable, and later readable again
            if (!folder.empty() && denied.empty()) {
              denied = watch / folder;
              fs::permissions(denied, fs::perms::none, ec);
            } else if (!denied.empty()) {
              fs::permissions(denied, fs::perms::owner_all, ec);
              denied.clear();
            }
            break;
          case 9:  // a file replaced by a folder of the same name
            if (!files.empty()) {
              const std::string file = pick(files);
              fs::remove(watch / file, ec);
              watch.Write(file + "/inside.txt", "inside");
            }
            break;
          case 10:
            if (!folder.empty()) fs::remove_all(watch / folder, ec);
            break;
          case 11:  // the same size and time again: no change, yet an event
            if (!files.empty()) {
              const std::string file = pick(files);
              fs::last_write_time(watch / file, fs::last_write_time(watch / file), ec);
            }
            break;
          case 12:  // a link to a file of the tree, or to one outside it (written at times)
            if (!files.empty() && random() % 2) {
              fs::create_symlink(watch / pick(files), under(folder, name() + ".lnk"), ec);
            } else {
              if (!fs::exists(external)) std::ofstream(external) << "outside";
              fs::create_symlink(external, under(folder, name() + ".lnk"), ec);
            }
            break;
          case 13:  // another name for a file of the tree, or for one outside it
            if (!files.empty() && random() % 2) {
              fs::create_hard_link(watch / pick(files), under(folder, name() + ".txt"), ec);
            } else {
              if (!fs::exists(external)) std::ofstream(external) << "outside";
              fs::create_hard_link(external, under(folder, name() + ".txt"), ec);
            }
            break;
          case 14:  // outside the tree: what links and other names there lead to
            if (fs::exists(external)) std::ofstream(external, std::ios::app) << std::string(random() % 9 + 1, 'z');
            break;
          case 15:  // out of the tree and straight back, within one batch of events
            if (!folder.empty()) {
              fs::rename(watch / folder, outside / "bounce", ec);
              if (!ec) fs::rename(outside / "bounce", watch / folder, ec);
            }
            break;
          case 16:  // written through a link or one of several names
            for (const std::string& file : files) {
              if (!fs::is_symlink(watch / file) && fs::hard_link_count(watch / file, ec) < 2) continue;
              watch.Write(file, std::string(random() % 40, 'w'));
              break;
            }
            break;
        }
      } catch (const fs::filesystem_error&) {
        // a name taken by the other kind of entry: that change simply does not happen
      }
    }
    if (!Pass()) continue;
    ++passes;
    spliced += session.Detector().LastPassWasWhole() ? 0 : 1;
    ExpectSameAsWholeScan("round " + std::to_string(round));
    if (HasFatalFailure() || HasFailure()) break;
  }
  EXPECT_GT(spliced, passes * 3 / 4) << "the passes must really splice";
}

TEST_F(IncrementalPassTest, LostEventsAndAWatchedFolderWatchedAnewFallBackToAWholeScan) {
  watch.Write("a/new.txt", "new");
  ASSERT_TRUE(Pass());
  EXPECT_FALSE(session.Detector().LastPassWasWhole());

  test::OverflowQueue(watch / "d");
  watch.Write("a/b/after-overflow.txt", "x");
  ASSERT_TRUE(Pass());
  EXPECT_TRUE(session.Detector().LastPassWasWhole());
  ExpectSameAsWholeScan("overflow");

  // The watched folder renamed away and back: its watches are set up anew.
  fs::rename(watch.path(), watch.path() + ".away");
  fs::rename(watch.path() + ".away", watch.path());
  watch.Write("d/after-rewatch.txt", "x");
  ASSERT_TRUE(Pass());
  EXPECT_TRUE(session.Detector().LastPassWasWhole());
  ExpectSameAsWholeScan("re-watch");

  // Someone else wrote the snapshot file: it is read, not trusted to the held copy.
  std::ofstream(paths.g_snapshotPath, std::ios::trunc) << "foreign";
  watch.Write("a/after-foreign.txt", "x");
  ASSERT_TRUE(Pass());
  EXPECT_TRUE(session.Detector().LastPassWasWhole());
  EXPECT_EQ(session.Detector().LastChangeCount(), 9) << "against a damaged file every file is new";
}

TEST_F(IncrementalPassTest, AFileReplacedBetweenItsListingAndItsCopyIsRecordedAsTheVersionCopied) {
  watch.Write("d/4.txt", "four, written");
  watch.Write("d/5.txt", "five, new");
  // Once the first of the two is copied, the other is replaced by a rename, as editors save.
  ui.onInsertRow = [&] {
    if (ui.rows.size() != 2) return;  // the pass's marker and the first copy's line
    const bool fourFirst = ui.rows.front().name == "4.txt" || ui.rows.back().name == "4.txt";
    const std::string other = fourFirst ? "d/5.txt" : "d/4.txt";
    fs::rename(outside.Write("saved.tmp", "replaced by a rename before its copy"), watch / other);
  };
  while (watcher.Step(0) == InotifyWatcher::StepResult::Changed) watcher.Touched().RaiseFlag();
  bool raised = false;
  session.Detector().DetectChanges(watch.path(), 1, watcher.Touched().TakeTouched(flag, raised));
  ui.onInsertRow = nullptr;
  ASSERT_EQ(ui.rows.size(), 4u);
  test::RecordingUi quiet;
  FolderScanner scanner(quiet);
  scanner.SetLevelPath(0, watch.path() + "/");
  Snapshot scan;
  scanner.ScanFolder(0, scan);
  EXPECT_EQ(test::ReadFile(paths.g_snapshotPath), EncodeSnapshot(scan));
  // The rename's own events bring a pass that finds that version copied already.
  while (watcher.Step(0) == InotifyWatcher::StepResult::Changed) watcher.Touched().RaiseFlag();
  session.Detector().DetectChanges(watch.path(), 1, watcher.Touched().TakeTouched(flag, raised));
  EXPECT_EQ(session.Detector().LastChangeCount(), 0);
}

// Changes the watcher hears of elsewhere, or not at all, or in one batch with their undoing.
struct Unheard {
  const char* name;
  std::function<void(const test::TempDir& watch, const test::TempDir& outside)> before;  // then a pass
  std::function<void(const test::TempDir& watch, const test::TempDir& outside)> change;
  bool permissionsInForce = false;
  bool copies = true;
};

class UnheardChangeTest : public IncrementalPassTest, public ::testing::WithParamInterface<Unheard> {};

TEST_P(UnheardChangeTest, GivesWhatAWholeScanGives) {
  std::optional<test::PermissionsInForce> permissions;
  if (GetParam().permissionsInForce) permissions.emplace();
  GetParam().before(watch, outside);
  Pass();
  ExpectSameAsWholeScan("before");
  const std::size_t messages = ui.messages.size(), refMessages = refUi.messages.size();
  const std::size_t rows = ui.rows.size();
  GetParam().change(watch, outside);
  EXPECT_TRUE(Pass()) << "the change must bring a pass";
  if (GetParam().copies) {
    EXPECT_GT(ui.rows.size(), rows) << "something was copied";
  }
  ExpectSameAsWholeScan("after");
  EXPECT_EQ(std::vector(ui.messages.begin() + messages, ui.messages.end()),
            std::vector(refUi.messages.begin() + refMessages, refUi.messages.end()));
  // Still watched and still looked at: a second change the same way.
  GetParam().change(watch, outside);
  Pass();
  ExpectSameAsWholeScan("again");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnheardChangeTest,
    ::testing::Values(
        Unheard{"FolderMovedOutAndBackInOneBatch", [](auto&, auto&) {},
                [](const test::TempDir& w, const test::TempDir& o) {
                  if (fs::exists(w / "a/b/c/new.txt")) return w.Write("a/b/c/new.txt", "written again"), void();
                  fs::rename(w / "a", o / "a");
                  fs::rename(o / "a", w / "a");
                  w.Write("a/b/c/new.txt", "new");
                }},
        Unheard{"OtherFolderTakesTheNameInOneBatch",
                [](const test::TempDir&, const test::TempDir& o) { o.Write("other/b/c/x.txt", "x"); },
                [](const test::TempDir& w, const test::TempDir& o) {
                  if (!fs::exists(o / "other")) return w.Write("a/b/c/x.txt", "written again"), void();
                  fs::rename(w / "a", o / "a");
                  fs::rename(o / "other", w / "a");
                  w.Write("a/b/c/new.txt", "new");
                }},
        Unheard{"LinkToAFileInTheTree",
                [](const test::TempDir& w, auto&) { fs::create_symlink("../a/1.txt", w / "d/link.txt"); },
                [](const test::TempDir& w, auto&) { w.Write("a/1.txt", test::ReadFile(w / "a/1.txt") + "more"); }},
        Unheard{
            "LinkToAFileOutside",
            [](const test::TempDir& w, const test::TempDir& o) {
              fs::create_symlink(o.Write("target.txt", "t"), w / "d/link.txt");
            },
            [](auto&, const test::TempDir& o) { o.Write("target.txt", test::ReadFile(o / "target.txt") + "more"); }},
        Unheard{"LinkWhoseTargetComesAndGoes",
                [](const test::TempDir& w, const test::TempDir& o) {
                  fs::create_symlink(o / "later.txt", w / "d/link.txt");
                  w.Write("d/other.txt", "an event, so that the dangling link is listed");
                },
                [](const test::TempDir&, const test::TempDir& o) {
                  if (!fs::remove(o / "later.txt")) o.Write("later.txt", "there now");
                }},
        Unheard{"HardLinkInTwoFolders",
                [](const test::TempDir& w, auto&) { fs::create_hard_link(w / "a/b/2.txt", w / "d/two.txt"); },
                [](const test::TempDir& w, auto&) { w.Write("a/b/2.txt", test::ReadFile(w / "a/b/2.txt") + "more"); }},
        Unheard{
            "HardLinkMadeToAFileAlreadyRecorded",
            [](const test::TempDir& w, auto&) { fs::create_hard_link(w / "a/1.txt", w / "d/late.txt"); },
            [](const test::TempDir& w, auto&) { w.Write("d/late.txt", test::ReadFile(w / "d/late.txt") + "more"); }},
        Unheard{
            "HardLinkOutside",
            [](const test::TempDir& w, const test::TempDir& o) {
              // The kernel tells the folder nothing of a name made elsewhere: an event in
              // the folder lists it again (a file with other names met), as Start's walk would.
              fs::create_hard_link(w / "top.txt", o / "top-too.txt");
              w.Write("top2.txt", "an event in the folder of top.txt");
            },
            [](auto&, const test::TempDir& o) { o.Write("top-too.txt", test::ReadFile(o / "top-too.txt") + "more"); }},
        Unheard{"FolderMadeUnreadable", [](auto&, auto&) {},
                [](const test::TempDir& w, auto&) {
                  // The first time unreadable, then readable again.
                  const bool readable = fs::status(w / "a/b").permissions() != fs::perms::none;
                  fs::permissions(w / "a/b", readable ? fs::perms::none : fs::perms::owner_all);
                  if (!readable) w.Write("a/b/since.txt", "made while it was unreadable");
                },
                true, false}),
    [](const ::testing::TestParamInfo<Unheard>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace talvenor
