// A copy holds a version the file really had: a source rewritten while it is copied is copied
// again, and only a file that never rests keeps a copy that may mix versions, with one notice.
#include "BackupFixture.h"
#include "core/Messages.h"
#include "platform/FaultInjection.h"

namespace talvenor::test {
namespace {

using TornCopyTest = BackupFixture;

// Version v of the source: its own byte, and its own size so that every rewrite shows.
std::string Version(int v) { return std::string((5 << 20) + v, static_cast<char>('A' + v)); }

TEST_F(TornCopyTest, ASourceRewrittenWhileItIsCopiedIsCopiedAgain) {
  struct Case {
    int rewrittenAttempts;  // the source is rewritten in the middle of this many attempts
    int notices;
  };
  for (const Case& c : {Case{0, 0}, Case{1, 0}, Case{2, 0}, Case{3, 1}}) {
    SCOPED_TRACE(c.rewrittenAttempts);
    const std::string src = tmp.Write("w/db.bin", Version(0));
    int attempt = 0;
    int rewrites = 0;
    int copied = 0;
    {
      const platform::ScopedFaults rewriting({.atStep = [&](const std::string& step) {
        if (step == "copy-attempt") ++attempt;
        // Between two pieces of the copy, as a database writing in place would.
        if (step == "copy-chunk" && rewrites < attempt && rewrites < c.rewrittenAttempts) {
          tmp.Write("w/db.bin", Version(++rewrites));
        }
      }});
      SetClock(2012, 9, 17, 14, 30, c.rewrittenAttempts);
      copied = Backup(tmp / "w/", "db.bin", 0);
    }
    ASSERT_EQ(1, copied);
    // Only the published copy is left, never a discarded attempt.
    EXPECT_EQ(std::set<std::string>{"db.bin"}, Names(store.m_strGenerationDir));
    if (c.rewrittenAttempts < 3) {
      EXPECT_TRUE(ReadFile(destination) == Version(c.rewrittenAttempts)) << "a whole version";
    }
    EXPECT_EQ(static_cast<std::size_t>(c.notices), ui.notices.size());
  }
  ASSERT_EQ(1u, ui.notices.size());
  EXPECT_EQ(msg::Format(msg::kKeptChanging, {tmp / "w/db.bin"}), ui.notices[0]);

  // The same restless file again in this session: copied, and not told twice.
  int rewrites = 0;
  {
    const platform::ScopedFaults rewriting({.atStep = [&](const std::string& step) {
      if (step == "copy-chunk" && rewrites < 3) tmp.Write("w/db.bin", Version(++rewrites));
    }});
    SetClock(2012, 9, 17, 14, 31, 0);
    EXPECT_EQ(1, Backup(tmp / "w/", "db.bin", 0));
  }
  EXPECT_EQ(1u, ui.notices.size());
}

}  // namespace
}  // namespace talvenor::test
