// Draws the program icon and the splash picture. Not part of the build; regenerate with
//   g++ -std=c++20 -fPIC DrawArt.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw-art
//   QT_QPA_PLATFORM=offscreen /tmp/draw-art ..
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A folder with a circular arrow in front of it: files kept as they change.
void DrawIcon(QPainter& p, const QRectF& box) {
  const qreal s = box.width() / 128.0;
  p.save();
  p.translate(box.topLeft());
  p.scale(s, s);
  p.setRenderHint(QPainter::Antialiasing);

  QPainterPath tab;
  tab.addRoundedRect(QRectF(10, 20, 46, 22), 6, 6);
  p.fillPath(tab, QColor(0xd9, 0x8e, 0x1f));
  QLinearGradient body(0, 30, 0, 112);
  body.setColorAt(0, QColor(0xff, 0xc9, 0x4d));
  body.setColorAt(1, QColor(0xf0, 0x9a, 0x1a));
  QPainterPath folder;
  folder.addRoundedRect(QRectF(8, 32, 112, 80), 10, 10);
  p.fillPath(folder, body);
  p.setPen(QPen(QColor(0xb8, 0x6b, 0x0c), 3));
  p.drawPath(folder);

  // The arrow circling round: two thirds of a ring and a head.
  p.setPen(QPen(QColor(0x1f, 0x5f, 0xbf), 11, Qt::SolidLine, Qt::RoundCap));
  const QRectF ring(36, 44, 56, 56);
  p.drawArc(ring, 100 * 16, 280 * 16);
  QPainterPath head;
  head.moveTo(58, 34);
  head.lineTo(80, 47);
  head.lineTo(57, 60);
  head.closeSubpath();
  p.fillPath(head, QColor(0x1f, 0x5f, 0xbf));
  p.setPen(QPen(QColor(0x1f, 0x5f, 0xbf), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(64, 72), QPointF(64, 60));
  p.drawLine(QPointF(64, 72), QPointF(74, 78));
  p.restore();
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

  QImage icon(128, 128, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  {
    QPainter p(&icon);
    DrawIcon(p, QRectF(0, 0, 128, 128));
  }
  icon.save(out + QStringLiteral("/icon128.png"));

  // The Japanese picture and the English one differ only in the two lines under the name.
  const struct {
    const char* name;
    const char* lines[2];
  } splashes[] = {{"splash.png", {"フォルダの変更を", "自動でバックアップします"}},
                  {"splash_en.png", {"Backs up every change", "in a folder, automatically"}}};
  for (const auto& picture : splashes) {
    QImage splash(500, 347, QImage::Format_RGB32);
    QPainter p(&splash);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, 0, 347);
    sky.setColorAt(0, QColor(0x1c, 0x3f, 0x7a));
    sky.setColorAt(1, QColor(0x4f, 0x8f, 0xd8));
    p.fillRect(splash.rect(), sky);
    p.fillRect(QRect(0, 300, 500, 47), QColor(0x12, 0x2a, 0x52));
    DrawIcon(p, QRectF(40, 70, 150, 150));

    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"), 40, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(205, 80, 290, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Talvenor"));
    QFont text(QStringLiteral("IPAPGothic"), 15);
    p.setFont(text);
    p.drawText(QRect(208, 150, 290, 30), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(picture.lines[0]));
    p.drawText(QRect(208, 180, 290, 30), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(picture.lines[1]));
    QFont small(QStringLiteral("DejaVu Sans"), 10);
    p.setFont(small);
    p.drawText(QRect(20, 300, 460, 47), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 1.0"));
    p.drawText(QRect(20, 300, 460, 47), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("QUORVATH"));
    p.end();
    splash.save(out + QStringLiteral("/") + QString::fromUtf8(picture.name));
  }
  return 0;
}
