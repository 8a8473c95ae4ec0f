#include "ui/CSplashWnd.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "ui/Resources.h"

namespace talvenor::ui {
namespace {

bool g_splashEnabled = false;
QPointer<CSplashWnd> g_splash;

QString PicturePath(int bitmapId) {
  // The picture carries a line of text, so each language has its own.
  return bitmapId == CSplashWnd::kBitmapId ? QCoreApplication::translate("talvenor", ":/splash.png") : QString();
}

}  // namespace

// Gives the splash the first look at every event of the program while it shows.
class CSplashWnd::PressFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* /*target*/, QEvent* event) override { return SplashFilterMessage(event) != 0; }
};

void CSplashWnd::EnableSplash(bool enable) { g_splashEnabled = enable; }

CSplashWnd* CSplashWnd::Current() { return g_splash.data(); }

int CSplashWnd::ShowSplash(int milliseconds, int bitmapId, QWidget* owner) {
  EnsureResources();
  if (!g_splashEnabled || g_splash) return 0;
  const QPixmap picture(PicturePath(bitmapId));
  if (picture.isNull()) return 0;
  auto* splash = new CSplashWnd(picture, owner);
  g_splash = splash;

  QRect area;
  if (owner && owner->isVisible() && !owner->isMinimized()) {
    area = owner->frameGeometry();
  } else {
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), picture.size());
  }
  QRect frame(QPoint(0, 0), picture.size());
  frame.moveCenter(area.center());
  splash->move(frame.topLeft());
  splash->show();
  splash->repaint();
  splash->startTimer(milliseconds);
  return 1;
}

void CSplashWnd::HideSplash() {
  CSplashWnd* splash = g_splash.data();
  if (!splash) return;
  QPointer<QWidget> owner = splash->m_owner;
  g_splash = nullptr;
  splash->hide();
  splash->deleteLater();
  if (owner) owner->repaint();
}

int CSplashWnd::SplashFilterMessage(QEvent* event) {
  if (!g_splash) return 0;
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Claim the key before it can fire a mnemonic or shortcut; its press then closes the splash.
      event->accept();
      return 1;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
      HideSplash();
      return 1;
    default:
      return 0;
  }
}

CSplashWnd::CSplashWnd(const QPixmap& picture, QWidget* owner)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_bitmap(picture),
      m_owner(owner) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(picture.size());
  setCursor(Qt::ArrowCursor);
  static QPointer<PressFilter> filter;
  if (!filter) {
    filter = new PressFilter(qApp);
    qApp->installEventFilter(filter);
  }
}

CSplashWnd::~CSplashWnd() {
  if (g_splash == this) g_splash = nullptr;
}

void CSplashWnd::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent* /*event*/) { HideSplash(); }

}  // namespace talvenor::ui
