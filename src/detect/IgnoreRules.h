#pragma once
// What the user leaves out of the backups: the patterns of a ".talvenorignore" file, in the
// syntax of ".gitignore". Compiled once per reading of the file; matching allocates nothing.
//
// A path is given relative to the watched folder, its parts separated by "/", with no "/" at
// either end. As in git, the last pattern that matches decides, and a folder left out takes
// everything below it along: nothing inside it can be let back in. "?" and "[...]" match one
// character of UTF-8, or one byte of a name that is not UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talvenor {

class IgnoreRules {
 public:
  // A line that cannot be read as a pattern (an unterminated "[", an unknown "[:class:]", a
  // trailing "\"); it is left out and the other lines still count.
  struct BadLine {
    int number = 0;  // from 1
    std::string text;
  };

  IgnoreRules() = default;
  // The rules of a pattern file's bytes; the lines that cannot be read are added to bad.
  explicit IgnoreRules(std::string_view text, std::vector<BadLine>* bad = nullptr);

  bool Empty() const { return m_rules.empty(); }
  // Whether the patterns leave this entry out, its parents taken as not left out (as in a walk
  // that never enters a folder left out).
  bool Excluded(std::string_view path, bool folder) const;
  // The same for any path: left out also when one of its parent folders is.
  bool ExcludedWithParents(std::string_view path, bool folder) const;
  // A path below the watched folder as the system writes it, spelled as the rules read it:
  // "/" between its names where the system writes another separator.
  static std::string RulePath(std::string_view path);

 private:
  struct CharSet {
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
    std::uint32_t classes = 0;  // bits of the "[:name:]" classes
    bool Contains(char32_t c) const;
  };
  struct Token {
    enum Kind : std::uint8_t { Literal, AnyChar, AnyRun, Set } kind = Literal;
    char32_t ch = 0;    // Literal: the character
    std::string bytes;  // Literal: its bytes
    int set = -1;       // Set: index into m_sets
  };
  // One part of a pattern between slashes, matched against one part of a path.
  struct Part {
    bool anyDepth = false;  // "**": any number of parts, none included
    std::vector<Token> tokens;
    // Quick forms of the common patterns: a fixed name, "*" and a fixed end ("*.o"), "*".
    enum Form : std::uint8_t { General, Exact, Suffix, Anything } form = General;
    std::string fixed;
    // General: what any name it matches has, to turn most names away without matching.
    std::size_t least = 0;  // bytes
    std::string head, tail;
  };
  struct Rule {
    bool negated = false;
    bool foldersOnly = false;
    bool anchored = false;  // matched against the whole path, not only its last part
    std::vector<Part> parts;
    std::size_t names = 0;             // anchored: the parts that take one name each
    bool anyDepth = false;             // anchored: a "**" among them
    std::vector<std::string> needles;  // anchored: fixed pieces any path it matches holds
  };

  // false when the line cannot be read; a blank line or a comment adds nothing.
  bool AddLine(std::string_view line);
  bool Compile(std::string_view pattern, Rule& rule);
  bool ReadSet(std::string_view pattern, std::size_t& at, Token& token);
  static void SetForm(Part& part);
  bool MatchPart(const Part& part, std::string_view name) const;
  bool MatchTokens(const std::vector<Token>& tokens, std::string_view name) const;
  // Whether a token other than "*" takes the character.
  bool Takes(const Token& token, char32_t c) const;
  bool MatchParts(const std::vector<Part>& parts, std::string_view path) const;
  // What an anchored rule needs of a path before it is worth matching: its number of names
  // (names), and every fixed piece of its parts somewhere.
  static bool Worth(const Rule& rule, std::string_view path, std::size_t names);
  // The deciding rule for one entry: +1 left out, -1 let in, 0 no rule matched.
  int Decide(std::string_view path, std::size_t names, bool folder) const;

  std::vector<Rule> m_rules;
  std::vector<CharSet> m_sets;
  bool m_anchored = false;  // any rule is
};

}  // namespace talvenor
