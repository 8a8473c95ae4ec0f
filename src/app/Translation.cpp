#include "app/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <vector>

#include "core/Messages.h"

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

// Whether text is pattern with its %1 to %9 filled; the values are collected by number.
// A fixed part between two values is taken at its first occurrence.
bool Matches(const std::string& pattern, const std::string& text, std::vector<std::string>& values) {
  std::vector<std::string> fixed{""};
  std::vector<int> places;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
      places.push_back(pattern[++i] - '1');
      fixed.emplace_back();
    } else {
      fixed.back() += pattern[i];
    }
  }
  if (places.empty()) return pattern == text;
  const std::string& head = fixed.front();
  const std::string& tail = fixed.back();
  if (text.size() < head.size() + tail.size() || text.compare(0, head.size(), head) != 0 ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  values.assign(9, std::string());
  std::size_t at = head.size();
  const std::size_t end = text.size() - tail.size();
  for (std::size_t n = 0; n < places.size(); ++n) {
    std::size_t next = end;
    if (n + 1 < places.size()) {
      next = text.find(fixed[n + 1], at);
      if (next == std::string::npos || next > end) return false;
    }
    values[places[n]] = text.substr(at, next - at);
    at = next + fixed[n + 1].size();
  }
  return true;
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
  std::vector<std::string> values;
  for (const char* source : msg::kAll) {
    if (!Matches(source, text, values)) continue;
    const QString translated = TheCatalogues().program.translate(kEngineContext, source);
    return translated.isEmpty() ? text : msg::Format(translated.toStdString(), values);
  }
  return text;
}

}  // namespace talvenor
