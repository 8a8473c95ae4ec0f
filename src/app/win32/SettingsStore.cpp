// The settings on Windows: the per-user registry, string values for the folders and 32-bit
// numbers for the rest, under the same names and defaults as on Linux.
#include "app/SettingsStore.h"

#include "app/SettingsFields.h"
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
  return ReadSettings([&s](const char* key, const std::string& fallback) { return ReadPath(s, key, fallback); },
                      [&s](const char* key, int fallback) { return ReadInt(s, key, fallback); });
}

void SettingsStore::Save(const Settings& v) const {
  const platform::RegistrySettings s(m_applicationName, kSection);
  // A failed write goes unnoticed, as a failed profile write always did.
  WriteSettings(
      v, [&s](const char* key, const std::string& path) { s.WriteString(key, path); },
      [&s](const char* key, int number) { s.WriteNumber(key, number); });
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
