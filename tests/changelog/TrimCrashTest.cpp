// A process killed at any moment of a trim leaves the whole older log or the whole trimmed
// one, and the next run goes on from it.
#include <csignal>

#include "ChangeLogFixture.h"
#include "platform/FaultInjection.h"
#include "platform/FileCopy.h"

namespace talvenor::test {
namespace {

class TrimCrashTest : public ChangeLogFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  // The "fast" death-test style forks, so the child works on this fixture's folder.
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "fast"); }
};

TEST_P(TrimCrashTest, LeavesAWholeLog) {
  settings.LOGSZ = 1;
  std::vector<std::string> lines;
  for (int i = 0; i < 6000; ++i) lines.push_back(std::to_string(i) + std::string(998, 'z'));  // > 4 MiB
  tmp.Write("log.csv", ChangeLogFixture::Lines(lines));
  lines.push_back("appended");
  const std::string step = GetParam();

  EXPECT_EXIT(
      {
        const platform::ScopedFaults crash({.atStep = [step](const std::string& at) {
          if (at == step) std::raise(SIGKILL);
        }});
        log.AppendLogLine(paths.g_logPath, "appended");
        log.Close();  // writes the trimmed log
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGKILL), "");

  const std::string after = LogText();
  if (step == std::string("replace-after-rename")) {
    EXPECT_EQ(Lines(lines, 1), after);
  } else {
    EXPECT_EQ(Lines(lines), after);
  }

  // The next run takes the log as it finds it; a temporary left behind is harmless.
  lines.push_back("next run");
  log.AppendLogLine(paths.g_logPath, "next run");
  log.Close();
  const std::string final = LogText();
  EXPECT_TRUE(final.ends_with("appended\r\nnext run\r\n"));
  EXPECT_EQ(Lines(lines, step == std::string("replace-after-rename") ? 2 : 1), final);
}

INSTANTIATE_TEST_SUITE_P(Steps, TrimCrashTest,
                         ::testing::Values("copy-chunk", "replace-before-rename", "replace-after-rename"));

}  // namespace
}  // namespace talvenor::test
