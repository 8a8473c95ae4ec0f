#pragma once
// Which language the program speaks: Japanese, its own, or English for everyone else.
#include <string>

namespace talvenor {

enum class Language { Japanese, English };

// The locale variables as the environment holds them; unset and empty are the same.
struct LocaleVariables {
  std::string language, lcAll, lcMessages, lang;  // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
};

// Decided as gettext picks a message catalogue: the messages locale is the first of LC_ALL,
// LC_MESSAGES and LANG that is set; in the C and POSIX locales (and without any) the program
// speaks Japanese and LANGUAGE is ignored. Otherwise the first of LANGUAGE's list, then that
// locale, naming Japanese or English decides; any other language gets English.
Language ChooseLanguage(const LocaleVariables& variables);

// From the environment's variables; with none of them set, from the desktop's language where
// the system has one to tell (Windows, whose programs get no locale variables).
Language LanguageFromEnvironment();

}  // namespace talvenor
