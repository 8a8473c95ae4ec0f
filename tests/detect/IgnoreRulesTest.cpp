// The patterns of ".talvenorignore" as ".gitignore" has them.
#include <gtest/gtest.h>

#include <string>

#include "detect/IgnoreRules.h"

namespace talvenor {
namespace {

TEST(IgnoreRules, EveryRuleOfThePatternSyntax) {
  const struct {
    const char* patterns;
    const char* path;
    bool folder;
    bool excluded;
  } cases[] = {
      // Comments, blank lines and escapes.
      {"#foo", "#foo", false, false},
      {"\\#foo", "#foo", false, true},
      {"\n\n   \n", "a", false, false},
      {"\\!important", "!important", false, true},
      {"\\!important", "important", false, false},
      // Trailing spaces go unless escaped; a line made on Windows ends in CR LF.
      {"foo   ", "foo", false, true},
      {"foo\\ ", "foo ", false, true},
      {"foo\\ ", "foo", false, false},
      {"foo\r\nbar\r\n", "bar", false, true},
      {"\xEF\xBB\xBF"
       "foo",
       "foo", false, true},
      // "*" and "?" within one name, never across "/"; case counts.
      {"*.o", "a.o", false, true},
      {"*.o", "src/deep/a.o", false, true},
      {"*.o", "a.out", false, false},
      {"*.O", "a.o", false, false},
      {"*.o", "a.o/inside.c", false, true},
      {"a/*.c", "a/x.c", false, true},
      {"a/*.c", "a/b/x.c", false, false},
      {"?.txt", "a.txt", false, true},
      {"?.txt", "ab.txt", false, false},
      {"?.txt", "あ.txt", false, true},
      {"?.txt", "\xFF.txt", false, true},
      {"*.txt", "\xFF\xFE.txt", false, true},
      {"a*b*c", "aXbYbZc", false, true},
      {"a*b*c", "aXbYbZ", false, false},
      {"*??", "あ", false, false},
      // Sets, ranges, negated sets and classes.
      {"[abc].txt", "b.txt", false, true},
      {"[abc].txt", "d.txt", false, false},
      {"[a-c]x", "cx", false, true},
      {"[!a-c]x", "dx", false, true},
      {"[!a-c]x", "ax", false, false},
      {"[^a]x", "bx", false, true},
      {"[]]", "]", false, true},
      {"[a-]", "-", false, true},
      {"[\\]]", "]", false, true},
      {"[[:digit:]]*", "1abc", false, true},
      {"[[:digit:]]*", "abc", false, false},
      {"[[:upper:][:digit:]]", "Q", false, true},
      {"[ぁ-ん].txt", "い.txt", false, true},
      {"[ぁ-ん].txt", "イ.txt", false, false},
      {"*[ぁ-ん]", "テストい", false, true},
      {"*[ぁ-ん]", "い\x84", false, false},  // a last byte that is no part of a character
      // "**": any depth at the front, in the middle and inside at the end; "**" in a name is "*".
      {"**/foo", "foo", false, true},
      {"**/foo", "a/b/foo", false, true},
      {"**/foo/bar", "x/foo/bar", false, true},
      {"a/**/b", "a/b", false, true},
      {"a/**/b", "a/x/y/b", false, true},
      {"a/**/b", "a/xb", false, false},
      {"a/**", "a/x", false, true},
      {"a/**", "a/x/y", false, true},
      {"a/**", "a", true, false},
      {"/**", "anything/at/all", false, true},
      {"a**b", "axxb", false, true},
      {"a**b", "ax/b", false, false},
      // A slash at the start or in the middle ties the pattern to the top.
      {"/build", "build", true, true},
      {"/build", "src/build", true, false},
      {"build", "src/build", true, true},
      {"doc/frotz", "doc/frotz", false, true},
      {"doc/frotz", "a/doc/frotz", false, false},
      // A trailing slash matches folders only, and takes what they hold along.
      {"logs/", "logs", true, true},
      {"logs/", "logs", false, false},
      {"logs/", "a/logs", true, true},
      {"logs/", "logs/x.txt", false, true},
      // "!" lets back in; the last pattern that matches decides.
      {"*.log\n!keep.log", "keep.log", false, false},
      {"*.log\n!keep.log", "a.log", false, true},
      {"!keep.log\n*.log", "keep.log", false, true},
      // Nothing comes back from inside a folder left out...
      {"logs/\n!logs/keep.txt", "logs/keep.txt", false, true},
      {"logs\n!keep.txt", "logs/keep.txt", false, true},
      // ...but what a folder's contents pattern left out can be let back in, and so can a folder.
      {"logs/*\n!logs/keep.txt", "logs/keep.txt", false, false},
      {"logs/*\n!logs/keep.txt", "logs/other", false, true},
      {"build/\n!build/", "build/x", false, false},
      {"/*\n!/src\n/src/*\n!/src/main.c", "src/main.c", false, false},
      {"/*\n!/src\n/src/*\n!/src/main.c", "src/other.c", false, true},
      {"/*\n!/src\n/src/*\n!/src/main.c", "top.txt", false, true},
      {"/*\n!/src\n/src/*\n!/src/main.c", "src", true, false},
      // A line that cannot be read counts for nothing; the others still do.
      {"[abc\n*.o", "[abc", false, false},
      {"[abc\n*.o", "a.o", false, true},
      {"/\n!\n", "a", false, false},
  };
  for (const auto& c : cases) {
    const IgnoreRules rules(c.patterns);
    EXPECT_EQ(rules.ExcludedWithParents(c.path, c.folder), c.excluded)
        << "patterns \"" << c.patterns << "\", " << (c.folder ? "folder " : "file ") << c.path;
  }
}

TEST(IgnoreRules, LinesThatCannotBeReadAreNamedAndLeftOut) {
  std::vector<IgnoreRules::BadLine> bad;
  const IgnoreRules rules("[abc\nok\n[[:nope:]]x\n# fine\nfoo\\\n[!]\n[a-\n\xFF\xFE\n", &bad);
  ASSERT_EQ(bad.size(), 5u);
  const int numbers[] = {1, 3, 5, 6, 7};
  for (std::size_t i = 0; i < bad.size(); ++i) EXPECT_EQ(bad[i].number, numbers[i]) << bad[i].text;
  EXPECT_EQ(bad[0].text, "[abc");
  EXPECT_TRUE(rules.Excluded("ok", false));
  EXPECT_TRUE(rules.Excluded("\xFF\xFE", false));  // bytes that are not UTF-8 are a name all the same
}

}  // namespace
}  // namespace talvenor
