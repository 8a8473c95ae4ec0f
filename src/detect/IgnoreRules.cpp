#include "detect/IgnoreRules.h"

#include <algorithm>
#include <array>

#include "platform/PathText.h"

namespace talvenor {
namespace {

// A byte that is no part of a UTF-8 character stands for itself, apart from every character.
constexpr char32_t kRawByte = 0x110000;

// One character at the position: its value and its length in bytes.
std::pair<char32_t, std::size_t> NextChar(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, least = 0x10000;
  } else {
    return {kRawByte + lead, 1};
  }
  if (at + length > text.size()) return {kRawByte + lead, 1};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return {kRawByte + lead, 1};
    value = value << 6 | (next & 0x3F);
  }
  // Overlong forms and surrogates are no characters either.
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {kRawByte + lead, 1};
  return {value, length};
}

// The last character of a text that is not empty. Only the nearest byte that is no UTF-8
// continuation can begin it: one before would hold that byte inside its own sequence.
std::pair<char32_t, std::size_t> LastChar(std::string_view text) {
  std::size_t at = text.size() - 1;
  while (at > 0 && text.size() - at < 4 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
  const auto [c, length] = NextChar(text, at);
  if (at + length == text.size()) return {c, length};
  return {kRawByte + static_cast<unsigned char>(text.back()), 1};
}

constexpr std::array<std::string_view, 12> kClassNames = {"alnum", "alpha", "blank", "cntrl", "digit", "graph",
                                                          "lower", "print", "punct", "space", "upper", "xdigit"};

bool InClass(std::size_t index, char32_t c) {
  if (c >= 0x80) return false;  // the classes of the C locale, as git has them
  const bool lower = c >= 'a' && c <= 'z';
  const bool upper = c >= 'A' && c <= 'Z';
  const bool digit = c >= '0' && c <= '9';
  const bool print = c >= 0x20 && c < 0x7F;
  switch (index) {
    case 0:
      return lower || upper || digit;
    case 1:
      return lower || upper;
    case 2:
      return c == ' ' || c == '\t';
    case 3:
      return c < 0x20 || c == 0x7F;
    case 4:
      return digit;
    case 5:
      return print && c != ' ';
    case 6:
      return lower;
    case 7:
      return print;
    case 8:
      return print && c != ' ' && !lower && !upper && !digit;
    case 9:
      return c == ' ' || (c >= '\t' && c <= '\r');
    case 10:
      return upper;
    default:
      return digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  }
}

// One character of a set; a "\" takes the next one as it is.
bool ReadSetChar(std::string_view pattern, std::size_t& at, char32_t& out) {
  if (pattern[at] == '\\' && ++at == pattern.size()) return false;
  const auto [c, length] = NextChar(pattern, at);
  out = c;
  at += length;
  return at < pattern.size();  // a set always needs its "]" still
}

}  // namespace

bool IgnoreRules::CharSet::Contains(char32_t c) const {
  bool found = false;
  for (const auto& [low, high] : ranges) found = found || (c >= low && c <= high);
  for (std::size_t i = 0; i < kClassNames.size() && !found; ++i) found = (classes >> i & 1U) != 0 && InClass(i, c);
  return found != negated;
}

IgnoreRules::IgnoreRules(std::string_view text, std::vector<BadLine>* bad) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // editors on Windows write one
  int number = 0;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!AddLine(line) && bad != nullptr) bad->push_back({number, std::string(line)});
  }
}

bool IgnoreRules::AddLine(std::string_view line) {
  // Trailing spaces go, unless the last of them is escaped.
  std::size_t end = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
      end = std::min(i + 1, line.size());
    } else if (line[i] != ' ') {
      end = i + 1;
    }
  }
  line = line.substr(0, end);
  if (line.empty() || line.front() == '#') return true;
  Rule rule;
  if (line.front() == '!') {
    rule.negated = true;
    line.remove_prefix(1);
  }
  if (!line.empty() && line.back() == '/') {
    rule.foldersOnly = true;
    line.remove_suffix(1);
  }
  // A slash at the start or in the middle ties the pattern to the top; without one it matches
  // a name at any depth.
  rule.anchored = line.find('/') != std::string_view::npos;
  if (!line.empty() && line.front() == '/') line.remove_prefix(1);
  if (line.empty()) return true;  // "/" or "!": nothing to match
  if (!Compile(line, rule)) return false;
  m_anchored = m_anchored || rule.anchored;
  m_rules.push_back(std::move(rule));
  return true;
}

bool IgnoreRules::Compile(std::string_view pattern, Rule& rule) {
  struct Raw {
    std::vector<Token> tokens;
    int stars = 0;
  };
  std::vector<Raw> raw(1);
  for (std::size_t at = 0; at < pattern.size();) {
    Raw& part = raw.back();
    const char b = pattern[at];
    Token token;
    if (b == '/') {
      raw.emplace_back();
      ++at;
      continue;
    }
    if (b == '*') {
      ++at;
      ++part.stars;
      token.kind = Token::AnyRun;
      if (!part.tokens.empty() && part.tokens.back().kind == Token::AnyRun) continue;  // "**" inside a name is "*"
    } else if (b == '?') {
      ++at;
      token.kind = Token::AnyChar;
    } else if (b == '[') {
      if (!ReadSet(pattern, at, token)) return false;
    } else {
      if (b == '\\' && ++at == pattern.size()) return false;  // escapes nothing
      const auto [c, length] = NextChar(pattern, at);
      token.ch = c;
      token.bytes = pattern.substr(at, length);
      at += length;
    }
    part.tokens.push_back(std::move(token));
  }
  for (Raw& part : raw) {
    const bool anyDepth = rule.anchored && part.stars >= 2 && part.tokens.size() == 1;
    if (anyDepth && !rule.parts.empty() && rule.parts.back().anyDepth) continue;
    Part& added = rule.parts.emplace_back();
    added.anyDepth = anyDepth;
    added.tokens = std::move(part.tokens);
    SetForm(added);
  }
  // A trailing "**" matches what is inside, never the folder itself: at least one part more.
  if (rule.parts.back().anyDepth) {
    Part& inside = rule.parts.emplace_back();
    inside.tokens.push_back({Token::AnyRun, 0, {}, -1});
    SetForm(inside);
  }
  for (const Part& part : rule.parts) {
    rule.anyDepth = rule.anyDepth || part.anyDepth;
    rule.names += part.anyDepth ? 0 : 1;
    for (const std::string* piece : {&part.fixed, &part.head, &part.tail}) {
      if (!piece->empty()) rule.needles.push_back(*piece);
    }
  }
  return true;
}

bool IgnoreRules::ReadSet(std::string_view pattern, std::size_t& at, Token& token) {
  CharSet set;
  std::size_t p = at + 1;
  if (p < pattern.size() && (pattern[p] == '!' || pattern[p] == '^')) {
    set.negated = true;
    ++p;
  }
  // A "]" first in the set is one of its characters.
  for (bool first = true;; first = false) {
    if (p >= pattern.size()) return false;
    if (pattern[p] == ']' && !first) break;
    if (pattern[p] == '[' && p + 1 < pattern.size() && pattern[p + 1] == ':') {
      const std::size_t close = pattern.find(']', p + 2);
      if (close == std::string_view::npos) return false;
      if (close > p + 2 && pattern[close - 1] == ':') {
        const std::string_view name = pattern.substr(p + 2, close - 1 - (p + 2));
        std::size_t index = 0;
        while (index < kClassNames.size() && kClassNames[index] != name) ++index;
        if (index == kClassNames.size()) return false;
        set.classes |= 1U << index;
        p = close + 1;
        continue;
      }
      // No ":]" closes it: the "[" is a character like any other.
    }
    char32_t low = 0;
    if (!ReadSetChar(pattern, p, low)) return false;
    char32_t high = low;
    if (pattern[p] == '-' && p + 1 < pattern.size() && pattern[p + 1] != ']') {
      ++p;
      if (!ReadSetChar(pattern, p, high)) return false;
    }
    set.ranges.emplace_back(low, high);
  }
  at = p + 1;
  token.kind = Token::Set;
  token.set = static_cast<int>(m_sets.size());
  m_sets.push_back(std::move(set));
  return true;
}

void IgnoreRules::SetForm(Part& part) {
  const std::vector<Token>& tokens = part.tokens;
  const auto literalFrom = [&tokens](std::size_t first) {
    for (std::size_t i = first; i < tokens.size(); ++i) {
      if (tokens[i].kind != Token::Literal) return false;
    }
    return true;
  };
  part.fixed.clear();
  if (literalFrom(0)) {
    part.form = Part::Exact;
  } else if (tokens.size() == 1 && tokens[0].kind == Token::AnyRun) {
    part.form = Part::Anything;
  } else if (tokens[0].kind == Token::AnyRun && literalFrom(1) &&
             (static_cast<unsigned char>(tokens[1].bytes[0]) & 0xC0) != 0x80) {
    // An end that begins a character cannot begin inside one of the name's: compared as bytes.
    part.form = Part::Suffix;
  } else {
    part.form = Part::General;
    std::size_t first = 0;
    for (; first < tokens.size() && tokens[first].kind == Token::Literal; ++first) part.head += tokens[first].bytes;
    std::size_t last = tokens.size();
    for (; last > first && tokens[last - 1].kind == Token::Literal; --last) {
      part.tail.insert(0, tokens[last - 1].bytes);
    }
    for (const Token& token : tokens) {
      part.least += token.kind == Token::Literal ? token.bytes.size() : token.kind == Token::AnyRun ? 0 : 1;
    }
    return;
  }
  for (const Token& token : tokens) part.fixed += token.bytes;
}

bool IgnoreRules::MatchPart(const Part& part, std::string_view name) const {
  switch (part.form) {
    case Part::Exact:
      return name == part.fixed;
    case Part::Suffix:
      return name.size() >= part.fixed.size() && name.substr(name.size() - part.fixed.size()) == part.fixed;
    case Part::Anything:
      return true;
    case Part::General:
      break;
  }
  if (name.size() < part.least || name.substr(0, part.head.size()) != part.head) return false;
  if (name.substr(name.size() - std::min(name.size(), part.tail.size())) != part.tail) return false;
  // A pattern that does not end in "*" takes the name's last character with its last token.
  const Token& last = part.tokens.back();
  if (last.kind != Token::AnyRun && !name.empty() && !Takes(last, LastChar(name).first)) return false;
  return MatchTokens(part.tokens, name);
}

bool IgnoreRules::Takes(const Token& token, char32_t c) const {
  switch (token.kind) {
    case Token::Literal:
      return token.ch == c;
    case Token::AnyChar:
      return true;
    case Token::Set:
      return m_sets[static_cast<std::size_t>(token.set)].Contains(c);
    case Token::AnyRun:
      break;
  }
  return false;
}

bool IgnoreRules::MatchTokens(const std::vector<Token>& tokens, std::string_view name) const {
  // Only the last "*" is ever widened: what the ones before took can stay as it is, so the
  // work is at most the name's length times the tokens.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t token = 0;
  std::size_t at = 0;
  std::size_t starToken = kNone;
  std::size_t starAt = 0;
  for (;;) {
    if (token < tokens.size()) {
      const Token& t = tokens[token];
      if (t.kind == Token::AnyRun) {
        if (token + 1 == tokens.size()) return true;
        starToken = token++;
        starAt = at;
        continue;
      }
      if (at < name.size()) {
        const auto [c, length] = NextChar(name, at);
        if (Takes(t, c)) {
          at += length;
          ++token;
          continue;
        }
      }
    } else if (at == name.size()) {
      return true;
    }
    if (starToken == kNone || starAt >= name.size()) return false;
    starAt += NextChar(name, starAt).second;
    at = starAt;
    token = starToken + 1;
  }
}

bool IgnoreRules::MatchParts(const std::vector<Part>& parts, std::string_view path) const {
  // The same walk one level up: "**" is the star, and every other part takes one name.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  const std::size_t end = path.size() + 1;  // past the last name
  const auto nameAt = [&path](std::size_t at) {
    const std::size_t slash = path.find('/', at);
    return path.substr(at, slash == std::string_view::npos ? std::string_view::npos : slash - at);
  };
  std::size_t part = 0;
  std::size_t at = 0;
  std::size_t starPart = kNone;
  std::size_t starAt = 0;
  for (;;) {
    if (part < parts.size()) {
      if (parts[part].anyDepth) {
        starPart = part++;
        starAt = at;
        continue;
      }
      if (at < end) {
        const std::string_view name = nameAt(at);
        if (MatchPart(parts[part], name)) {
          at += name.size() + 1;
          ++part;
          continue;
        }
      }
    } else if (at == end) {
      return true;
    }
    if (starPart == kNone || starAt >= end) return false;
    starAt += nameAt(starAt).size() + 1;
    at = starAt;
    part = starPart + 1;
  }
}

bool IgnoreRules::Worth(const Rule& rule, std::string_view path, std::size_t names) {
  if (rule.anyDepth ? names < rule.names : names != rule.names) return false;
  for (const std::string& needle : rule.needles) {
    if (path.find(needle) == std::string_view::npos) return false;
  }
  return true;
}

int IgnoreRules::Decide(std::string_view path, std::size_t names, bool folder) const {
  const std::string_view name = path.substr(path.rfind('/') + 1);
  for (auto rule = m_rules.rbegin(); rule != m_rules.rend(); ++rule) {
    if (rule->foldersOnly && !folder) continue;
    const bool hit = rule->anchored ? Worth(*rule, path, names) && MatchParts(rule->parts, path)
                                    : MatchPart(rule->parts.front(), name);
    if (hit) return rule->negated ? -1 : 1;
  }
  return 0;
}

std::string IgnoreRules::RulePath(std::string_view path) {
  std::string out(path);
  if constexpr (platform::kSeparator != '/') std::replace(out.begin(), out.end(), platform::kSeparator, '/');
  return out;
}

bool IgnoreRules::Excluded(std::string_view path, bool folder) const {
  if (m_rules.empty()) return false;
  // Only anchored rules look at the number of names.
  const auto names = m_anchored ? static_cast<std::size_t>(std::count(path.begin(), path.end(), '/')) + 1 : 0;
  return Decide(path, names, folder) > 0;
}

bool IgnoreRules::ExcludedWithParents(std::string_view path, bool folder) const {
  if (m_rules.empty()) return false;
  std::size_t names = 1;
  for (std::size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', slash + 1)) {
    if (Decide(path.substr(0, slash), names++, true) > 0) return true;
  }
  return Decide(path, names, folder) > 0;
}

}  // namespace talvenor
