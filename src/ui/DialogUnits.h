#pragma once
// The dialog font and the conversion of dialog-template units into pixels.
#include <QFont>
#include <QRect>

namespace talvenor::ui {

// "ＭＳ Ｐゴシック" 9 pt. The first call registers look-alike substitutes, because fontconfig
// has no alias for it and would otherwise fall back to a font without the same metrics.
QFont DialogFont();

// Template units are a quarter of the font's average character width horizontally and an
// eighth of its height vertically, so a layout keeps its proportions whatever the font.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int w, int h) const;

 private:
  int m_baseX;
  int m_baseY;
};

}  // namespace talvenor::ui
