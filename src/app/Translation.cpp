#include "app/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/EngineTextMatch.h"

namespace talvenor {
namespace {

constexpr const char* kEngineContext = "talvenor::msg";

struct Catalogues {
  Language language = Language::Japanese;
  QTranslator program;  // empty for Japanese
  QTranslator qt;
};

Catalogues& TheCatalogues() {
  static Catalogues catalogues;
  return catalogues;
}

}  // namespace

void UseLanguage(Language language) {
  Catalogues& catalogues = TheCatalogues();
  const bool application = QCoreApplication::instance() != nullptr;
  if (application) {
    QCoreApplication::removeTranslator(&catalogues.program);
    QCoreApplication::removeTranslator(&catalogues.qt);
  }
  catalogues.language = language;
  const bool english = language == Language::English;
  if (!english || !catalogues.program.load(QStringLiteral(":/i18n/talvenor_en.qm"))) {
    // Loading nothing empties the catalogue, so the Japanese sources show.
    (void)catalogues.program.load(QString());
  }
  const QString qtName = english ? QStringLiteral("qtbase_en") : QStringLiteral("qtbase_ja");
  (void)catalogues.qt.load(qtName, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (!application) return;
  QCoreApplication::installTranslator(&catalogues.qt);
  if (english) QCoreApplication::installTranslator(&catalogues.program);
}

Language CurrentLanguage() { return TheCatalogues().language; }

QString Translate(const char* context, const char* source, const char* disambiguation) {
  const QString translated = TheCatalogues().program.translate(context, source, disambiguation);
  return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

std::string TranslateText(const char* context, const char* source) { return Translate(context, source).toStdString(); }

std::string TranslateEngineText(const std::string& text) {
  if (TheCatalogues().program.isEmpty()) return text;
  return TranslateEngineTextWith(
      text, [](const char* source) { return TheCatalogues().program.translate(kEngineContext, source).toStdString(); });
}

}  // namespace talvenor
