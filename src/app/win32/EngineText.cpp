// The engine's texts on Windows, where no Qt catalogue is built in: the Japanese sources as
// they are, whichever language was asked for.
#include "app/EngineText.h"

namespace talvenor {
namespace {

Language g_language = Language::Japanese;

}  // namespace

void UseLanguage(Language language) { g_language = language; }

Language CurrentLanguage() { return g_language; }

std::string TranslateEngineText(const std::string& text) { return text; }

std::string TranslateText(const char*, const char* source) { return source; }

}  // namespace talvenor
