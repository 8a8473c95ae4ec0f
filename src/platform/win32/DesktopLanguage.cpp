#include "platform/DesktopLanguage.h"

#include <windows.h>

#include "platform/win32/WinText.h"

namespace talvenor::platform {

// Windows sets no locale variables: the user's interface language, as the windows choose it.
std::string DesktopLocale() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) == 0)
    return {};
  std::string locale = win32::Utf8(name);
  // "ja-JP" as the locale variables write it.
  for (char& c : locale)
    if (c == '-') c = '_';
  return locale;
}

}  // namespace talvenor::platform
