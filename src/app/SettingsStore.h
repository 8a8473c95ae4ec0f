#pragma once
// The per-user settings file, $XDG_CONFIG_HOME/QUORVATH/Q7/<application name>.ini, group
// [Settings]. Read once when the main window is made, written once at Quit.
#include <string>
#include <utility>

#include "core/Settings.h"

namespace talvenor {

class SettingsStore {
 public:
  // applicationName: the executable's base name without extension.
  explicit SettingsStore(std::string applicationName);

  std::string FilePath() const;
  const std::string& ApplicationName() const { return m_applicationName; }

  // Reads DIR1, DIR2, LEFT, TOP, RIGHT, BOTTOM, LEVEL, LOGSZ, BAKSZ, FIRST, COLUMNX1..3 in that
  // order; a missing or unreadable value gives its default.
  Settings Load() const;
  // Writes the same keys in the same order.
  void Save(const Settings& settings) const;

  // The progress window's own keys X and Y (default -1 each).
  std::pair<int, int> LoadProgressPosition() const;
  void SaveProgressPosition(int x, int y) const;

 private:
  std::string m_applicationName;
};

}  // namespace talvenor
