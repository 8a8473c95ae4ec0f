#include "UiTestSupport.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest/QTest>
#include <algorithm>
#include <cstdlib>

#include "ui/CSplashWnd.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"

namespace talvenor::test {

QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "talvenor";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    auto* created = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return created;
  }();
  return *app;
}

UrlCatcher::UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
UrlCatcher::~UrlCatcher() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

bool WaitUntilPlaced(QWidget& window) {
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  // The frame comes a moment after the window is mapped; a frameless desktop never gives one.
  (void)QTest::qWaitFor([&window] { return window.frameGeometry() != window.geometry(); }, 1000);
  return true;
}

bool IsAbove(const QWidget& upper, const QWidget& lower) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) return true;
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {"-root", "-notype", "_NET_CLIENT_LIST_STACKING"});
  if (!xprop.waitForFinished(5000)) return false;
  // Bottom first.
  std::vector<WId> order;
  const QString listed = QString::fromLatin1(xprop.readAllStandardOutput());
  for (const auto& match : QRegularExpression(QStringLiteral("0x[0-9a-fA-F]+")).globalMatch(listed)) {
    order.push_back(match.captured().toULongLong(nullptr, 16));
  }
  const auto at = [&order](WId id) { return std::find(order.begin(), order.end(), id) - order.begin(); };
  const auto upperAt = at(upper.winId()), lowerAt = at(lower.winId());
  return upperAt < static_cast<long>(order.size()) && lowerAt < upperAt;
}

void WhenModalShows(std::function<void(QWidget&)> fn) {
  auto* poll = new QTimer;
  poll->setInterval(5);
  QObject::connect(poll, &QTimer::timeout, [poll, fn, tries = 0]() mutable {
    QWidget* up = QApplication::activePopupWidget();
    if (!up) up = QApplication::activeModalWidget();
    if (!up || !up->isVisible()) {
      // Never outlive the test that asked.
      if (++tries > 400) {
        ADD_FAILURE() << "no dialog or menu came up";
        poll->stop();
        poll->deleteLater();
      }
      return;
    }
    poll->stop();
    poll->deleteLater();
    fn(*up);
  });
  poll->start();
}

void UiTest::SetUp() {
  TestApplication();
  setenv("XDG_CONFIG_HOME", m_home.path().c_str(), 1);
  m_previousDirectory = std::filesystem::current_path();
  std::filesystem::current_path(m_work.path());
  ui::MessageBox::AnswerWithoutShowing(true);
  ui::MessageBox::TakeShownTexts();
  ui::FileDialogs::AnswerWithoutShowing(true);
  ui::FileDialogs::TakeRequests();
  ui::CSplashWnd::EnableSplash(false);
}

void UiTest::TearDown() {
  ui::CSplashWnd::HideSplash();
  QApplication::processEvents();
  std::filesystem::current_path(m_previousDirectory);
}

}  // namespace talvenor::test
