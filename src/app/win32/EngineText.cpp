// The program's texts on Windows, where no Qt catalogue can be read: the English catalogue is
// built in as a table made from the same .ts file the Linux build compiles.
#include "app/EngineText.h"

#include <cstring>

#include "app/EngineTextMatch.h"

namespace talvenor {
namespace {

struct CatalogueRow {
  const char* context;
  const char* comment;
  const char* source;
  const char* translation;
};

constexpr CatalogueRow kEnglish[] = {
#include "EnglishCatalogue.inc"
};

Language g_language = Language::Japanese;

// As Qt's lookup without a disambiguation: only the rows without a comment.
const char* English(const char* context, const char* source) {
  for (const CatalogueRow& row : kEnglish) {
    if (row.comment[0] == '\0' && std::strcmp(row.source, source) == 0 && std::strcmp(row.context, context) == 0) {
      return row.translation;
    }
  }
  return nullptr;
}

}  // namespace

void UseLanguage(Language language) { g_language = language; }

Language CurrentLanguage() { return g_language; }

std::string TranslateEngineText(const std::string& text) {
  if (g_language != Language::English) return text;
  return TranslateEngineTextWith(text, [](const char* source) {
    const char* translated = English("talvenor::msg", source);
    return std::string(translated != nullptr ? translated : "");
  });
}

std::string TranslateText(const char* context, const char* source) {
  const char* translated = g_language == Language::English ? English(context, source) : nullptr;
  return translated != nullptr ? translated : source;
}

}  // namespace talvenor
