// The settings on Windows: the per-user registry, string values for the folders and 32-bit
// numbers for the rest, under the same names and defaults as on Linux.
#include "app/SettingsStore.h"

#include "platform/RegistrySettings.h"

namespace talvenor {
namespace {

const char* const kSection = "Settings";

std::string ReadPath(const platform::RegistrySettings& s, const char* key, const std::string& fallback) {
  return s.ReadString(key).value_or(fallback);
}

int ReadInt(const platform::RegistrySettings& s, const char* key, int fallback) {
  return s.ReadNumber(key).value_or(fallback);
}

}  // namespace

SettingsStore::SettingsStore(std::string applicationName) : m_applicationName(std::move(applicationName)) {}

std::string SettingsStore::FilePath() const {
  return "HKEY_CURRENT_USER\\" + platform::RegistrySettings(m_applicationName, kSection).KeyPath();
}

Settings SettingsStore::Load() const {
  const platform::RegistrySettings s(m_applicationName, kSection);
  Settings d;  // defaults
  Settings out;
  out.DIR1 = ReadPath(s, "DIR1", d.DIR1);
  out.DIR2 = ReadPath(s, "DIR2", d.DIR2);
  out.LEFT = ReadInt(s, "LEFT", d.LEFT);
  out.TOP = ReadInt(s, "TOP", d.TOP);
  out.RIGHT = ReadInt(s, "RIGHT", d.RIGHT);
  out.BOTTOM = ReadInt(s, "BOTTOM", d.BOTTOM);
  out.LEVEL = ReadInt(s, "LEVEL", d.LEVEL);
  out.LOGSZ = ReadInt(s, "LOGSZ", d.LOGSZ);
  out.BAKSZ = ReadInt(s, "BAKSZ", d.BAKSZ);
  out.FIRST = ReadInt(s, "FIRST", d.FIRST);
  out.COLUMNX1 = ReadInt(s, "COLUMNX1", d.COLUMNX1);
  out.COLUMNX2 = ReadInt(s, "COLUMNX2", d.COLUMNX2);
  out.COLUMNX3 = ReadInt(s, "COLUMNX3", d.COLUMNX3);
  return out;
}

void SettingsStore::Save(const Settings& v) const {
  const platform::RegistrySettings s(m_applicationName, kSection);
  // A failed write goes unnoticed, as a failed profile write always did.
  s.WriteString("DIR1", v.DIR1);
  s.WriteString("DIR2", v.DIR2);
  s.WriteNumber("LEFT", v.LEFT);
  s.WriteNumber("TOP", v.TOP);
  s.WriteNumber("RIGHT", v.RIGHT);
  s.WriteNumber("BOTTOM", v.BOTTOM);
  s.WriteNumber("LEVEL", v.LEVEL);
  s.WriteNumber("LOGSZ", v.LOGSZ);
  s.WriteNumber("BAKSZ", v.BAKSZ);
  s.WriteNumber("FIRST", v.FIRST);
  s.WriteNumber("COLUMNX1", v.COLUMNX1);
  s.WriteNumber("COLUMNX2", v.COLUMNX2);
  s.WriteNumber("COLUMNX3", v.COLUMNX3);
}

std::pair<int, int> SettingsStore::LoadProgressPosition() const {
  const platform::RegistrySettings s(m_applicationName, kSection);
  return {ReadInt(s, "X", -1), ReadInt(s, "Y", -1)};
}

void SettingsStore::SaveProgressPosition(int x, int y) const {
  const platform::RegistrySettings s(m_applicationName, kSection);
  s.WriteNumber("X", x);
  s.WriteNumber("Y", y);
}

}  // namespace talvenor
