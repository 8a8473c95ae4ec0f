#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

namespace talvenor::ui {

QFont DialogFont() {
  static const bool registered = [] {
    const QStringList lookAlikes{"IPAPGothic", "Noto Sans CJK JP"};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), lookAlikes);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), lookAlikes);
    return true;
  }();
  (void)registered;
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPointSize(9);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width over the Latin alphabet, rounded, as dialog templates define it.
  const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_baseX = (width / 26 + 1) / 2;
  m_baseY = metrics.height();
  if (m_baseX <= 0) m_baseX = 1;
  if (m_baseY <= 0) m_baseY = 1;
}

// Rounded to the nearest pixel, as the system's own conversion does.
int DialogUnits::X(int units) const { return (units * m_baseX + 2) / 4; }
int DialogUnits::Y(int units) const { return (units * m_baseY + 4) / 8; }

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
  // Convert the edges, not the sizes, so that neighbouring controls stay flush.
  const int left = X(x), top = Y(y);
  return QRect(left, top, X(x + w) - left, Y(y + h) - top);
}

}  // namespace talvenor::ui
