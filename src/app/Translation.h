#pragma once
// The program's texts in the chosen language. Japanese texts are the sources; the English
// catalogue is built into the program. The engine's messages are translated here, on their
// way to the window or the terminal, so the engine itself stays free of Qt.
#include <QString>
#include <string>

#include "app/EngineText.h"

namespace talvenor {

// One of the program's texts (marked for the translation tools with that context).
QString Translate(const char* context, const char* source, const char* disambiguation = nullptr);

}  // namespace talvenor
