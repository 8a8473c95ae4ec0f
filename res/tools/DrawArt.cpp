// Draws the program icon and the splash picture, and the icon theme's bitmaps. The build runs
//   talvenor_art --icons DIR NAME
// for DIR/<n>x<n>/apps/NAME.png; icon128.png and splash.png are drawn by hand with
//   QT_QPA_PLATFORM=offscreen build/res/talvenor_art res
#include <QDir>
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

// Every size of the freedesktop icon theme's "hicolor" that desktops ask for.
int DrawThemeIcons(const QString& folder, const QString& name) {
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    {
      QPainter p(&icon);
      DrawIcon(p, QRectF(0, 0, size, size));
    }
    const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    if (!QDir().mkpath(apps) || !icon.save(apps + QStringLiteral("/") + name + QStringLiteral(".png"))) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc > 3 && QByteArray(argv[1]) == "--icons")
    return DrawThemeIcons(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");

  QImage icon(128, 128, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  {
    QPainter p(&icon);
    DrawIcon(p, QRectF(0, 0, 128, 128));
  }
  icon.save(out + QStringLiteral("/icon128.png"));

  QImage splash(500, 347, QImage::Format_RGB32);
  {
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
    p.drawText(QRect(208, 150, 290, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("フォルダの変更を"));
    p.drawText(QRect(208, 180, 290, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("自動でバックアップします"));
    QFont small(QStringLiteral("DejaVu Sans"), 10);
    p.setFont(small);
    p.drawText(QRect(20, 300, 460, 47), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Version 1.0"));
    p.drawText(QRect(20, 300, 460, 47), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("QUORVATH"));
  }
  splash.save(out + QStringLiteral("/splash.png"));
  return 0;
}
