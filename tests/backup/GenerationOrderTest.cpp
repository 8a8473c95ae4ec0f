// The file that keeps the order in which generations were made lies in a folder that someone
// else may share: whatever stands under its name, a pass goes on, nothing outside the backup
// folder changes, the name is never counted as a generation, and the order is taken up again.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>

#include "BackupFixture.h"
#include "backup/GenerationOrder.h"

namespace talvenor::test {
namespace {

class GenerationOrderTest : public BackupFixture {
 protected:
  std::string OrderFile() const { return settings.DIR2 + "/" + GenerationOrder::kFileName; }
  std::set<std::string> Generations() const {
    std::set<std::string> names;
    for (const std::string& name : Names(settings.DIR2)) {
      if (BackupStore::IsGenerationName(name) != 0) names.insert(name);
    }
    return names;
  }
};

TEST_F(GenerationOrderTest, WhateverStandsUnderItsNameThePassGoesOnAndNothingOutsideChanges) {
  struct Case {
    const char* what;
    std::function<void(const std::string& file, const std::string& outside)> plant;
    bool ordered;  // the order is taken up again by the generations made after it
  };
  const Case cases[] = {
      {"garbage and a torn line",
       [](const std::string& file, const std::string&) {
         std::ofstream(file) << "\x01\xff garbage\n2026102514\n\n20261025140000.0 trailing\n2026";
       },
       true},
      {"a link to a file elsewhere",
       [](const std::string& file, const std::string& outside) {
         ASSERT_EQ(0, symlink(outside.c_str(), file.c_str()));
       },
       true},
      {"a second name of a file elsewhere",
       [](const std::string& file, const std::string& outside) { ASSERT_EQ(0, link(outside.c_str(), file.c_str())); },
       true},
      {"a file of another user listing the new generations first",
       [](const std::string& file, const std::string&) {
         std::ofstream(file) << "20261025140002.0\n20261025140001.0\n20261025140000.0\n";
         ASSERT_EQ(0, chown(file.c_str(), 65534, 65534));
       },
       true},
      {"a FIFO", [](const std::string& file, const std::string&) { ASSERT_EQ(0, mkfifo(file.c_str(), 0600)); }, true},
      {"a file too large to be ours",
       [](const std::string& file, const std::string&) {
         std::ofstream(file) << "x";
         ASSERT_EQ(0, truncate(file.c_str(), 64 << 20));
       },
       true},
      {"a folder", [](const std::string& file, const std::string&) { ASSERT_EQ(0, mkdir(file.c_str(), 0700)); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir backup;
    settings.DIR2 = backup.path();
    settings.BAKSZ = 3;
    const std::string outside = tmp.Write("outside.txt", "untouched\n");
    c.plant(OrderFile(), outside);
    std::vector<std::string> made;
    // Three passes, then the clock goes back an hour for three more.
    for (int i = 0; i < 6; ++i) {
      SetClock(2026, 10, 25, i < 3 ? 14 : 13, 0, i % 3);
      made.push_back(Pass(tmp.Write("w/a", "a")));
      ASSERT_EQ(settings.DIR2 + "/" + made.back() + "/a", destination);
      store.PruneGenerations();
      EXPECT_EQ(std::min<std::size_t>(made.size(), 3), Generations().size());
    }
    EXPECT_EQ("untouched\n", ReadFile(outside));
    EXPECT_TRUE(ui.messages.empty());
    if (c.ordered) {
      EXPECT_EQ(std::set<std::string>(made.end() - 3, made.end()), Generations());
    }
  }
}

}  // namespace
}  // namespace talvenor::test
