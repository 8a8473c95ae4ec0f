#pragma once
// The start-up picture: centred, borderless, gone after its time or at the first key or
// mouse-button press anywhere in the program, which then does nothing else.
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace talvenor::ui {

class CSplashWnd : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBitmapId = 147;

  // Off when the command line carries "Embedding" or "Automation".
  static void EnableSplash(bool enable);
  // 1 when shown; 0 when disabled, already showing or the picture is missing.
  static int ShowSplash(int milliseconds, int bitmapId, QWidget* owner);
  static void HideSplash();
  // 1 when the event is a press that closes the splash and must go no further.
  static int SplashFilterMessage(QEvent* event);
  static CSplashWnd* Current();

  ~CSplashWnd() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  class PressFilter;

  CSplashWnd(const QPixmap& picture, QWidget* owner);

  QPixmap m_bitmap;
  QPointer<QWidget> m_owner;
};

}  // namespace talvenor::ui
