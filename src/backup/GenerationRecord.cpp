#include "backup/GenerationRecord.h"

#include <charconv>
#include <chrono>
#include <cstring>

#include "platform/PathText.h"

namespace talvenor {
namespace {

constexpr std::size_t kTimeLength = 30;  // 2012-09-17T05:30:05.123456789Z

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

bool Unescape(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

void AppendDigits(std::string& out, long long value, int width) {
  char digits[24];
  int n = 0;
  const bool negative = value < 0;
  unsigned long long v =
      negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (negative) out += '-';
  for (int i = n; i < width; ++i) out += '0';
  while (n > 0) out += digits[--n];
}

void AppendUtcTime(std::string& out, std::int64_t seconds, long nanoseconds) {
  using namespace std::chrono;
  const sys_seconds at{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(at);
  const year_month_day date(day);
  const hh_mm_ss<std::chrono::seconds> time(at - day);
  AppendDigits(out, static_cast<int>(date.year()), 4);
  out += '-';
  AppendDigits(out, static_cast<unsigned>(date.month()), 2);
  out += '-';
  AppendDigits(out, static_cast<unsigned>(date.day()), 2);
  out += 'T';
  AppendDigits(out, time.hours().count(), 2);
  out += ':';
  AppendDigits(out, time.minutes().count(), 2);
  out += ':';
  AppendDigits(out, time.seconds().count(), 2);
  out += '.';
  AppendDigits(out, nanoseconds, 9);
  out += 'Z';
}

bool ParseUtcTime(std::string_view text, std::int64_t& seconds, long& nanoseconds) {
  using namespace std::chrono;
  if (text.size() != kTimeLength || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != '.' || text[29] != 'Z')
    return false;
  int y = 0;
  unsigned mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!ParseNumber(text.substr(0, 4), y) || !ParseNumber(text.substr(5, 2), mo) || !ParseNumber(text.substr(8, 2), d) ||
      !ParseNumber(text.substr(11, 2), h) || !ParseNumber(text.substr(14, 2), mi) ||
      !ParseNumber(text.substr(17, 2), s) || !ParseNumber(text.substr(20, 9), nanoseconds))
    return false;
  const year_month_day date{year(y), month(mo), day(d)};
  if (!date.ok() || h > 23 || mi > 59 || s > 60 || nanoseconds < 0) return false;
  seconds = (sys_days(date).time_since_epoch() + hours(h) + minutes(mi) + std::chrono::seconds(s)).count();
  return true;
}

// The next field of a line and what follows its TAB; false when there is no TAB.
bool TakeField(std::string_view& rest, std::string_view& field) {
  const std::size_t tab = rest.find('\t');
  if (tab == std::string_view::npos) return false;
  field = rest.substr(0, tab);
  rest.remove_prefix(tab + 1);
  return true;
}

// One name inside the generation: no separator, "/" or the system's own, that could lead a planted
// record out of it.
bool IsSafeCopyName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find(platform::kSeparator) == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

bool GenerationRecord::IsRecordName(std::string_view name) {
  const std::string_view record(kFileName);
  if (name.size() != record.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != record[i]) return false;
  }
  return true;
}

std::string GenerationRecord::FormatLine(const RecordLine& line) {
  std::string out;
  out.reserve(line.source.size() + line.copyName.size() + 56);
  AppendEscaped(out, line.source);
  out += '\t';
  AppendDigits(out, static_cast<long long>(line.size), 1);
  out += '\t';
  AppendUtcTime(out, line.modifiedSeconds, line.modifiedNanoseconds);
  out += '\t';
  AppendEscaped(out, line.copyName);
  out += '\n';
  return out;
}

bool GenerationRecord::ParseLine(std::string_view text, RecordLine& line) {
  std::string_view source, size, time, copy;
  if (!TakeField(text, source) || !TakeField(text, size) || !TakeField(text, time)) return false;
  const std::size_t tab = text.find('\t');  // later fields are a later version's
  copy = text.substr(0, tab);
  return Unescape(source, line.source) && !line.source.empty() && ParseNumber(size, line.size) &&
         ParseUtcTime(time, line.modifiedSeconds, line.modifiedNanoseconds) && Unescape(copy, line.copyName) &&
         IsSafeCopyName(line.copyName);
}

std::vector<RecordLine> GenerationRecord::LinesFor(std::string_view record, const std::string& source) {
  // Compared in the written form, so only the lines of this source are ever unescaped: a
  // record of a thousand lines costs one scan.
  const std::string prefix = Escaped(source) + '\t';
  std::vector<RecordLine> lines;
  std::size_t at = 0;
  while (at < record.size()) {
    const void* end = std::memchr(record.data() + at, '\n', record.size() - at);
    if (end == nullptr) break;  // torn: the copy it names was being recorded at the end
    const std::size_t lineEnd = static_cast<std::size_t>(static_cast<const char*>(end) - record.data());
    const std::string_view text = record.substr(at, lineEnd - at);
    RecordLine line;
    if (text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0 && ParseLine(text, line))
      lines.push_back(std::move(line));
    at = lineEnd + 1;
  }
  return lines;
}

bool GenerationRecord::Add(const platform::FolderHandle& generation, const RecordLine& line) {
  if (!m_file.IsOpen()) {
    if (!m_file.Open(generation, kFileName)) return false;
    // A line torn by a crash would swallow the start of this one.
    if (!m_file.EmptyOrEndsWith('\n') && !m_file.Append("\n")) return false;
  }
  // One write per line: a kill tears at most this one, and a reader passes over it.
  return m_file.Append(FormatLine(line));
}

}  // namespace talvenor
