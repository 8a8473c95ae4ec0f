#include "app/EngineTextMatch.h"

#include <vector>

#include "core/Messages.h"

namespace talvenor {
namespace {

// Whether text is pattern with its %1 to %9 filled; the values are collected by number.
// A fixed part between two values is taken at its first occurrence.
bool Matches(const std::string& pattern, const std::string& text, std::vector<std::string>& values) {
  std::vector<std::string> fixed{""};
  std::vector<int> places;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      places.push_back(pattern[++i] - '1');
      fixed.emplace_back();
    } else {
      fixed.back() += pattern[i];
    }
  }
  if (places.empty()) return pattern == text;
  const std::string& head = fixed.front();
  const std::string& tail = fixed.back();
  if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  values.assign(9, std::string());
  std::size_t at = head.size();
  const std::size_t end = text.size() - tail.size();
  for (std::size_t n = 0; n < places.size(); ++n) {
    std::size_t next = end;
    if (n + 1 < places.size()) {
      next = text.find(fixed[n + 1], at);
      if (next == std::string::npos || next > end) return false;
    }
    values[places[n]] = text.substr(at, next - at);
    at = next + fixed[n + 1].size();
  }
  return true;
}

}  // namespace

std::string TranslateEngineTextWith(const std::string& text,
                                    const std::function<std::string(const char* source)>& translate) {
  std::vector<std::string> values;
  for (const char* source : msg::kAll) {
    if (!Matches(source, text, values)) continue;
    const std::string translated = translate(source);
    return translated.empty() ? text : msg::Format(translated, values);
  }
  return text;
}

}  // namespace talvenor
