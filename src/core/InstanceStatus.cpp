#include "core/InstanceStatus.h"

#include <charconv>
#include <sstream>

namespace talvenor {
namespace {

std::string Escape(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out += text[++i] == 'n' ? '\n' : text[i];
    } else {
      out += text[i];
    }
  }
  return out;
}

template <typename Number>
bool ToNumber(const std::string& text, Number& out) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string InstanceStatus::Encode() const {
  std::ostringstream out;
  out << "pid=" << pid << "\nmode=" << mode << "\nstate=" << (monitoring ? "monitoring" : "stopped")
      << "\nwatch=" << Escape(watch) << "\nbackup=" << Escape(backup) << "\nlast_change_pass=" << lastChangePass
      << "\nday=" << day << "\ncopies_today=" << copiesToday << "\nwaiting=" << waiting << "\n";
  return out.str();
}

std::optional<InstanceStatus> InstanceStatus::Decode(const std::string& text) {
  InstanceStatus status;
  std::istringstream in(text);
  std::string line;
  bool sawPid = false, sawState = false;
  while (std::getline(in, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) return std::nullopt;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    bool good = true;
    if (key == "pid") {
      good = ToNumber(value, status.pid) && status.pid > 0;
      sawPid = true;
    } else if (key == "mode") {
      status.mode = value;
    } else if (key == "state") {
      good = value == "monitoring" || value == "stopped";
      status.monitoring = value == "monitoring";
      sawState = true;
    } else if (key == "watch") {
      status.watch = Unescape(value);
    } else if (key == "backup") {
      status.backup = Unescape(value);
    } else if (key == "last_change_pass") {
      status.lastChangePass = value;
    } else if (key == "day") {
      status.day = value;
    } else if (key == "copies_today") {
      good = ToNumber(value, status.copiesToday);
    } else if (key == "waiting") {
      good = ToNumber(value, status.waiting);
    }  // a key of a later version is passed over
    if (!good) return std::nullopt;
  }
  if (!sawPid || !sawState) return std::nullopt;
  return status;
}

std::string InstanceStatus::Describe(const std::string& today) const {
  std::ostringstream out;
  out << "State: " << (monitoring ? "monitoring" : "stopped") << "\n"
      << "Watched folder: " << watch << "\n"
      << "Backup folder: " << backup << "\n"
      << "Last pass with changes: " << (lastChangePass.empty() ? "none since it started" : lastChangePass) << "\n"
      << "Copies made today: " << CopiesOn(today) << "\n";
  if (waiting > 0) out << "Copies waiting: " << waiting << " (tried again on their own)\n";
  return out.str();
}

}  // namespace talvenor
