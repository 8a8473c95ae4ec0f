#pragma once
// The per-user registry: HKEY_CURRENT_USER\Software\QUORVATH\Q7\<application>\<section>,
// string values and 32-bit numbers, as the settings of a Windows program are kept.
#include <optional>
#include <string>

namespace talvenor::platform {

class RegistrySettings {
 public:
  RegistrySettings(const std::string& application, const std::string& section);

  // The key's path below HKEY_CURRENT_USER.
  const std::string& KeyPath() const { return m_key; }

  // nullopt for a missing value, or one of another type.
  std::optional<std::string> ReadString(const std::string& name) const;
  std::optional<int> ReadNumber(const std::string& name) const;
  // The key is made when missing; false when it cannot be written.
  bool WriteString(const std::string& name, const std::string& value) const;
  bool WriteNumber(const std::string& name, int value) const;

 private:
  std::string m_key;
};

}  // namespace talvenor::platform
