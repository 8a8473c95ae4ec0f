#include "platform/RegistrySettings.h"

#include "platform/win32/WinText.h"

namespace talvenor::platform {

RegistrySettings::RegistrySettings(const std::string& application, const std::string& section)
    : m_key("Software\\QUORVATH\\Q7\\" + application + "\\" + section) {}

std::optional<std::string> RegistrySettings::ReadString(const std::string& name) const {
  const std::wstring key = win32::Wide(m_key);
  const std::wstring value = win32::Wide(name);
  DWORD bytes = 0;
  // Expandable strings are taken as written: a folder holding "%" stays as the user typed it.
  constexpr DWORD kTypes = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), kTypes, nullptr, nullptr, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value.c_str(), kTypes, nullptr, text.data(), &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  text.resize(wcsnlen(text.c_str(), text.size()));
  return win32::Utf8(text);
}

std::optional<int> RegistrySettings::ReadNumber(const std::string& name) const {
  DWORD number = 0;
  DWORD bytes = sizeof number;
  if (::RegGetValueW(HKEY_CURRENT_USER, win32::Wide(m_key).c_str(), win32::Wide(name).c_str(), RRF_RT_REG_DWORD,
                     nullptr, &number, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return static_cast<int>(number);  // a negative position is stored as its 32 bits
}

bool RegistrySettings::WriteString(const std::string& name, const std::string& value) const {
  const std::wstring text = win32::Wide(value);
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, win32::Wide(m_key).c_str(), win32::Wide(name).c_str(), REG_SZ,
                           text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistrySettings::WriteNumber(const std::string& name, int value) const {
  const auto number = static_cast<DWORD>(value);
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, win32::Wide(m_key).c_str(), win32::Wide(name).c_str(), REG_DWORD, &number,
                           sizeof number) == ERROR_SUCCESS;
}

}  // namespace talvenor::platform
