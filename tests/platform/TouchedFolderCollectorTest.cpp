// What a backend's events touch, whichever system reported them.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "platform/TouchedFolderCollector.h"

namespace talvenor::platform {
namespace {

struct Event {
  const char* name;
  std::function<bool(TouchedFolderCollector&)> report;  // whether a pass must look
  bool raises;
  std::set<std::string> listed;
  std::set<std::string> subtrees;
  bool everything = false;
};

// Events that raise nothing by themselves.
std::function<bool(TouchedFolderCollector&)> Quiet(std::function<void(TouchedFolderCollector&)> events) {
  return [events](TouchedFolderCollector& c) {
    events(c);
    return false;
  };
}

class CollectorTest : public ::testing::TestWithParam<Event> {};

TEST_P(CollectorTest, TouchesWhatTheEventChanged) {
  TouchedFolderCollector collector;
  collector.IgnoreFilesIn("/w/home", [](const std::string& name) { return name == "log.csv"; });
  collector.Skip([](const std::string& path, bool) {
    return std::filesystem::path(path).filename().string().rfind("skip", 0) == 0;
  });
  std::atomic<int> flag{1};
  EXPECT_EQ(GetParam().report(collector), GetParam().raises);
  bool raised = false;
  const TouchedFolders touched = collector.TakeTouched(flag, raised);
  EXPECT_EQ(touched.listed, GetParam().listed);
  EXPECT_EQ(touched.subtrees, GetParam().subtrees);
  EXPECT_EQ(touched.everything, GetParam().everything);
}

INSTANTIATE_TEST_SUITE_P(
    Events, CollectorTest,
    ::testing::Values(
        Event{"AFileInAFolder", [](auto& c) { return c.FileChanged("/w/a", "x.txt", false); }, true, {"/w/a/"}, {}},
        Event{"AFileInTheRootOfTheDisk", [](auto& c) { return c.FileChanged("/", "x.txt", false); }, true, {"/"}, {}},
        Event{"TheProgramsOwnFile", [](auto& c) { return c.FileChanged("/w/home", "log.csv", true); }, false, {}, {}},
        Event{"ItsNeighbour", [](auto& c) { return c.FileChanged("/w/home", "a.txt", true); }, true, {"/w/home/"}, {}},
        Event{"ItsNameElsewhere", [](auto& c) { return c.FileChanged("/w/a", "log.csv", false); }, true, {"/w/a/"}, {}},
        Event{"AFileSkipped", [](auto& c) { return c.FileChanged("/w/a", "skip.log", false); }, false, {}, {}},
        Event{"AFolderCameOrWent", Quiet([](auto& c) { c.ListingChanged("/w/a/"); }), false, {"/w/a/"}, {}},
        Event{"AFolderArrived", Quiet([](auto& c) { c.FolderArrived("/w/a/new"); }), false, {}, {"/w/a/new/"}},
        Event{"AFolderSkippedArrived", Quiet([](auto& c) { c.FolderArrived("/w/a/skipped"); }), false, {}, {}},
        Event{"EventsLost", Quiet([](auto& c) { c.EventsLost(); }), false, {}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The flag and the folders go together: a pass takes both, or neither.
TEST(CollectorFlagTest, TheFlagRisesOnlyForWhatNoPassHasTakenYet) {
  TouchedFolderCollector collector;
  std::atomic<int> flag{0};
  collector.RaiseOnChange(&flag);
  collector.RaiseFlag();
  EXPECT_EQ(flag.load(), 0) << "nothing touched";
  collector.FolderArrived("/w/empty");  // raises nothing by itself: waits for the next change
  bool raised = true;
  EXPECT_TRUE(collector.TakeTouched(flag, raised).subtrees.empty());
  EXPECT_FALSE(raised);
  EXPECT_TRUE(collector.FileChanged("/w", "a.txt", false));
  collector.RaiseFlag();
  EXPECT_EQ(flag.load(), 1);
  const TouchedFolders touched = collector.TakeTouched(flag, raised);
  EXPECT_TRUE(raised);
  EXPECT_EQ(touched.listed, std::set<std::string>{"/w/"});
  EXPECT_EQ(touched.subtrees, std::set<std::string>{"/w/empty/"});
  EXPECT_EQ(flag.load(), 0);
  collector.RaiseFlag();  // a Step after the pass took it all
  EXPECT_EQ(flag.load(), 0);
}

}  // namespace
}  // namespace talvenor::platform
