// A process killed in the middle of a copy leaves no file, whole or partial, under any name
// the user sees; the next pass copies the file whole.
#include <csignal>

#include "BackupFixture.h"
#include "platform/FaultInjection.h"

namespace talvenor::test {
namespace {

class CopyCrashTest : public BackupFixture {
 protected:
  // The "fast" death-test style forks, so the child works on this fixture's folders.
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "fast"); }

  // Runs one backup of source in a child that is killed at the named step.
  void KillAt(const std::string& step, const std::string& source) {
    EXPECT_EXIT(
        {
          const platform::ScopedFaults crash({.atStep = [step](const std::string& at) {
            if (at == step) std::raise(SIGKILL);
          }});
          Pass(source);
          std::_Exit(0);  // the step never came
        },
        ::testing::KilledBySignal(SIGKILL), "");
  }
};

TEST_F(CopyCrashTest, KilledBetweenTwoPiecesOrJustBeforePublishingLeavesNothingVisible) {
  const std::string source = tmp.Write("w/big.bin", std::string(10 << 20, 'q'));
  int pass = 0;
  for (const char* step : {"copy-chunk", "copy-before-publish"}) {
    KillAt(step, source);
    const std::string gen = settings.DIR2 + "/20120917143005." + std::to_string(pass++);
    ASSERT_TRUE(std::filesystem::is_directory(gen)) << step;
    // An unnamed temporary vanishes with the process; a hidden one is never the final name.
    for (const std::string& name : Names(gen)) EXPECT_EQ(0u, name.rfind(".talvenor-copy-", 0)) << step << ": " << name;
  }
  // The next pass copies the file whole.
  ASSERT_EQ(1, Backup(tmp / "w/", "big.bin", 0));
  EXPECT_EQ(settings.DIR2 + "/20120917143005.2/big.bin", destination);
  EXPECT_EQ(ReadFile(source), ReadFile(destination));
}

// Where the file system has no unnamed files, a crash leaves a hidden temporary of a copy.
TEST_F(CopyCrashTest, TheProgramsOwnLeftoversAreRemovedAndNothingElse) {
  // A source that happens to bear a temporary's name is never copied under that name.
  tmp.Write("w/.talvenor-copy-Ab12Cd", "a user's file");
  ASSERT_EQ(1, Backup(tmp / "w/", ".talvenor-copy-Ab12Cd", 0));
  EXPECT_EQ(store.m_strGenerationDir + "/.talvenor-copy-Ab12Cd.0", destination);
  const std::string gen = store.m_strGenerationDir;
  tmp.Write("bk/20120917143005.0/.talvenor-copy-Xy34Zw", "leftover");
  for (const char* kept : {".talvenor-copy-Xy34Z", ".talvenor-copy-Xy34Zw.0", ".talvenor-copy-Xy-4Zw", "report.txt"})
    tmp.Write(std::string("bk/20120917143005.0/") + kept, "a copy");
  tmp.Write("bk/not-a-generation/.talvenor-copy-Xy34Zw", "not ours to judge");

  store.RemoveCopyLeftovers();
  EXPECT_EQ((std::set<std::string>{".talvenor-copy-Ab12Cd.0", ".talvenor-copy-Xy34Z", ".talvenor-copy-Xy34Zw.0",
                                   ".talvenor-copy-Xy-4Zw", "report.txt"}),
            Names(gen));
  EXPECT_EQ(std::set<std::string>{".talvenor-copy-Xy34Zw"}, Names(tmp / "bk/not-a-generation"));
}

}  // namespace
}  // namespace talvenor::test
