// A backup folder that is full, or gone (an unplugged disk): the user is told once per outage,
// nothing is tried while nothing can work, the log names no copy that does not exist, and the
// copies are made at the first tick after the room or the folder is back.
#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "HeldEntry.h"
#include "core/Messages.h"
#include "detect/MonitorSessionFixture.h"
#include "platform/FaultInjection.h"
#include "platform/FileTime.h"
#include "support/MockClock.h"

namespace talvenor::test {
namespace {

namespace fs = std::filesystem;

class BackupOutageTest : public MonitorSessionFixture {
 protected:
  void FakeFreeBytes(std::uint64_t bytes) {
    m_faults.reset();
    m_faults.emplace(platform::Faults{.space = [bytes](const std::string&) {
      return std::optional(platform::FolderSpace{bytes, 1000});
    }});
  }

 private:
  std::optional<platform::ScopedFaults> m_faults;
};

TEST_F(BackupOutageTest, ToldOnceTriedOnlyWhenItCanWorkAndCaughtUpAtTheNextTick) {
  // Ticks without the watcher thread, so that only the outage decides when a pass runs.
  const std::string notice = msg::Format(msg::kCopiesWaiting, {backup.path()});
  std::size_t outages = 0;
  for (const std::string kind : {"vanished", "full"}) {
    SCOPED_TRACE(kind);
    std::unique_ptr<HeldEntry> held;
    if (kind == "vanished") {
      fs::remove_all(backup.path());
    } else {
      FakeFreeBytes(0);
      held = std::make_unique<HeldEntry>(backup.path());  // nothing can be made inside
      if (!held->held()) GTEST_SKIP() << "the immutable flag cannot be set here";
    }
    const std::string name = kind + ".txt";
    watch.Write(name, "important");
    session.SetChangeSeen(true);
    session.OnMonitorTick();
    ++outages;
    EXPECT_EQ(std::vector<std::string>(outages, notice), ui.notices);
    EXPECT_NE(std::find(ui.logLines.begin(), ui.logLines.end(), name + "," + watch / name + ","), ui.logLines.end())
        << "a failed copy is logged without a copy path";

    const std::size_t linesBefore = ui.logLines.size();
    for (int tick = 0; tick < 40; ++tick) session.OnMonitorTick();
    EXPECT_EQ(linesBefore, ui.logLines.size()) << "no attempt while the folder is gone or full";

    if (kind == "vanished") {
      fs::create_directory(backup.path());
    } else {
      held.reset();
      FakeFreeBytes(std::uint64_t{1} << 30);
    }
    session.OnMonitorTick();
    const auto generations = Generations();
    ASSERT_FALSE(generations.empty());
    EXPECT_EQ(std::vector<std::string>{name}, CopiesIn(generations.back()));
    EXPECT_EQ(outages, ui.notices.size());
  }
}

TEST_F(BackupOutageTest, ACopyRefusedForAnotherReasonBringsNoNotice) {
  std::optional<MockClock> clock;
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"a second copy whose numbered name is too long",
       [this] {
         const std::string name(254, 'n');
         watch.Write("a/" + name, "1");
         watch.Write("b/" + name, "2");
       }},
      {"every generation name of the second taken",
       [this, &clock] {
         clock.emplace(platform::SystemTime{2012, 9, 17, 14, 30, 5, 0});
         for (int n = 0; n < 100; ++n) backup.MakeFolder("20120917143005." + std::to_string(n));
         watch.Write("c.txt", "3");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    session.SetChangeSeen(true);
    session.OnMonitorTick();
    clock.reset();
    EXPECT_TRUE(std::any_of(ui.logLines.begin(), ui.logLines.end(), [](const std::string& line) {
      return !line.empty() && line.back() == ',';
    })) << "a copy was refused";
    EXPECT_TRUE(ui.notices.empty()) << ui.notices.front();
  }
}

}  // namespace
}  // namespace talvenor::test
