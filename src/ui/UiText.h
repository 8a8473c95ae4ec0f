#pragma once
// The windows' own texts in the chosen language. The Japanese sources are marked with
// QT_TRANSLATE_NOOP("talvenor", ...) where they are stored and translated where they are shown.
#include <QCoreApplication>
#include <QString>

#include "app/Translation.h"

namespace talvenor::ui {

inline QString Tr(const char* source, const char* disambiguation = nullptr) {
  return Translate("talvenor", source, disambiguation);
}

}  // namespace talvenor::ui
