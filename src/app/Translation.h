#pragma once
// The program's texts in the chosen language. Japanese texts are the sources; the English
// catalogue is built into the program. The engine's messages are translated here, on their
// way to the window or the terminal, so the engine itself stays free of Qt.
#include <QString>
#include <string>

#include "app/Language.h"

namespace talvenor {

// Loads the catalogues of the language, replacing any loaded before. With an application
// object, Qt's own translation is installed too, for its standard buttons, pickers and menus.
void UseLanguage(Language language);
Language CurrentLanguage();

// One of the program's texts (marked for the translation tools with that context).
QString Translate(const char* context, const char* source, const char* disambiguation = nullptr);

// A text the engine built from one of msg::kAll, translated with its values kept; any other
// text comes back as it is.
std::string TranslateEngineText(const std::string& text);

}  // namespace talvenor
