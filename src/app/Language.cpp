#include "app/Language.h"

#include <cstdlib>
#include <sstream>

#include "platform/DesktopLanguage.h"

namespace talvenor {
namespace {

// "ja_JP.UTF-8" and "ja@x" name "ja"; "C.UTF-8" names "C".
std::string LanguagePart(const std::string& locale) { return locale.substr(0, locale.find_first_of("_.@")); }

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

Language ChooseLanguage(const LocaleVariables& variables) {
  std::string locale = variables.lcAll;
  if (locale.empty()) locale = variables.lcMessages;
  if (locale.empty()) locale = variables.lang;
  const std::string language = LanguagePart(locale);
  if (language.empty() || language == "C" || language == "POSIX") return Language::Japanese;

  std::istringstream preferences(variables.language + ":" + locale);
  for (std::string entry; std::getline(preferences, entry, ':');) {
    const std::string wanted = LanguagePart(entry);
    if (wanted == "ja") return Language::Japanese;
    if (wanted == "en") return Language::English;
  }
  return Language::English;
}

Language LanguageFromEnvironment() {
  LocaleVariables variables{Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")};
  if (variables.language.empty() && variables.lcAll.empty() && variables.lcMessages.empty() && variables.lang.empty())
    variables.lang = platform::DesktopLocale();
  return ChooseLanguage(variables);
}

}  // namespace talvenor
