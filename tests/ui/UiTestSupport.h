#pragma once
// What the window tests share: one Qt application on the offscreen platform, a tray that
// tests can look at, answered message boxes and pickers, and a fresh profile and current
// directory per test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "ui/TrayIcon.h"

// Readable geometry in failure messages (found by argument lookup, so beside Qt's types).
inline void PrintTo(const QPoint& p, std::ostream* os) { *os << "(" << p.x() << "," << p.y() << ")"; }
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}

namespace talvenor::test {

QApplication& TestApplication();

// Stands in for the desktop's notification area.
class FakeTray : public ui::TrayIcon {
 public:
  struct State {
    bool available = true;
    bool shown = false;
    int adds = 0;  // additions that made an icon appear
    std::vector<std::string> balloons;
    QString toolTip;
    FakeTray* tray = nullptr;
    // A press on the icon, as the desktop reports it.
    void Notify(int mouseMessage) { tray->onNotify(kIconId, mouseMessage); }
  };
  explicit FakeTray(std::shared_ptr<State> state) : m_state(std::move(state)) { m_state->tray = this; }
  ~FakeTray() override { m_state->tray = nullptr; }
  bool IsAvailable() const override { return m_state->available; }
  void Add() override {
    if (!m_state->shown) ++m_state->adds;
    m_state->shown = true;
  }
  void Remove() override { m_state->shown = false; }
  bool IsShown() const override { return m_state->shown; }
  void ShowBalloon(const std::string&, const std::string& text) override { m_state->balloons.push_back(text); }
  void SetToolTip(const QString& text) override { m_state->toolTip = text; }

 private:
  std::shared_ptr<State> m_state;
};

// Takes the URLs the program asks the desktop to open, instead of the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  UrlCatcher();
  ~UrlCatcher() override;
  std::vector<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

// A control of a window by its id.
template <typename T>
T* Control(const QWidget& window, int id) {
  T* control = window.findChild<T*>(QString::number(id));
  EXPECT_NE(control, nullptr) << "control " << id;
  return control;
}

// Waits until the window is on the screen and, under a window manager, framed and placed.
bool WaitUntilPlaced(QWidget& window);

// Whether the desktop's window manager stacks upper above lower (asked with xprop on an X
// server). Without a window manager to ask, true: Qt's own stacking is all there is.
bool IsAbove(const QWidget& upper, const QWidget& lower);

// Runs fn as soon as the next modal dialog or pop-up menu is up (and the event loop turns).
void WhenModalShows(std::function<void(QWidget&)> fn);

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  TempDir m_home;  // XDG_CONFIG_HOME
  TempDir m_work;  // the current directory
  std::filesystem::path m_previousDirectory;
};

}  // namespace talvenor::test
