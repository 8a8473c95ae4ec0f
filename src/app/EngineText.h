#pragma once
// The language of the program's texts, and the engine's messages in it: all the terminal
// program needs, without Qt.
#include <string>

#include "app/Language.h"

namespace talvenor {

// Loads the catalogues of the language, replacing any loaded before. With an application
// object, Qt's own translation is installed too, for its standard buttons, pickers and menus.
void UseLanguage(Language language);
Language CurrentLanguage();

// A text the engine built from one of msg::kAll, translated with its values kept; any other
// text comes back as it is.
std::string TranslateEngineText(const std::string& text);

// A text of the program's own (marked with QT_TRANSLATE_NOOP) in the language in use.
std::string TranslateText(const char* context, const char* source);

}  // namespace talvenor
