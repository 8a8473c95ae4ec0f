#pragma once
// What the running instance tells about itself: written to a small file after every change of
// state and every pass, read by `talvenor --status`, and shown by the tray icon's tooltip.
#include <optional>
#include <string>

namespace talvenor {

struct InstanceStatus {
  long pid = 0;
  std::string mode;  // "window" or "headless"
  bool monitoring = false;
  std::string watch;
  std::string backup;
  std::string lastChangePass;  // local time "YYYY-MM-DD HH:MM:SS" of the last pass with changes
  std::string day;             // the local day "YYYY-MM-DD" that copiesToday counts
  int copiesToday = 0;
  int waiting = 0;  // changes not copied yet: refused by the backup side, or left by Stop

  // One "key=value" line each; line breaks and backslashes in folder names are escaped.
  std::string Encode() const;
  // Nothing for a text that is not a status.
  static std::optional<InstanceStatus> Decode(const std::string& text);
  // The lines `talvenor --status` prints after its first; today: "YYYY-MM-DD".
  std::string Describe(const std::string& today) const;
  // The copies of today, 0 when the count is of another day.
  int CopiesOn(const std::string& today) const { return day == today ? copiesToday : 0; }

  bool operator==(const InstanceStatus&) const = default;
};

}  // namespace talvenor
