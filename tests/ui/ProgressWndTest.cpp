#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest/QTest>

#include "UiTestSupport.h"
#include "app/SettingsStore.h"
#include "core/Messages.h"
#include "ui/CProgressWnd.h"

namespace talvenor::test {
namespace {

using ui::CProgressWnd;

const std::string kTitle = "フォルダ容量確認中..";

class ProgressWndTest : public UiTest {
 protected:
  QString Caption(const CProgressWnd& wnd) { return wnd.Window()->windowTitle(); }
  SettingsStore m_store{"talvenor"};
};

TEST_F(ProgressWndTest, CaptionShowsThePercentOnlyFromItsFirstChange) {
  CProgressWnd wnd(nullptr, kTitle, false, &m_store);
  wnd.SetRange(0, 20000, 1);
  EXPECT_EQ(wnd.SetPos(99), 0);
  EXPECT_EQ(Caption(wnd), QString::fromStdString(kTitle));
  EXPECT_EQ(wnd.SetPos(100), 99);
  EXPECT_EQ(Caption(wnd), QString::fromStdString(kTitle + " [1%]"));
  wnd.SetPos(20000);
  EXPECT_EQ(Caption(wnd), QString::fromStdString(kTitle + " [100%]"));
  EXPECT_EQ(Control<QProgressBar>(*wnd.Window(), CProgressWnd::kBarId)->value(), 20000);
}

TEST_F(ProgressWndTest, EmptyOrReversedRangeNeverChangesTheCaption) {
  for (const auto& [lower, upper] : {std::pair(5, 5), std::pair(100, 0)}) {
    CProgressWnd wnd(nullptr, kTitle, false, nullptr);
    wnd.SetRange(lower, upper, 1);
    for (int position : {-50, 0, 3, 50, 1000}) wnd.SetPos(position);
    EXPECT_EQ(Caption(wnd), QString::fromStdString(kTitle)) << lower << ".." << upper;
  }
}

TEST_F(ProgressWndTest, StepAddsTheStepSizeAndTextKeepsLinesUnwrapped) {
  CProgressWnd wnd(nullptr, kTitle, false, nullptr);
  wnd.SetRange(0, 100, 7);
  wnd.Step();
  wnd.Step();
  EXPECT_EQ(Control<QProgressBar>(*wnd.Window(), CProgressWnd::kBarId)->value(), 14);

  wnd.SetText("%s", "フォルダ容量を確認しています...\n\nしばらくお待ちください。100%");
  auto* text = Control<QLabel>(*wnd.Window(), CProgressWnd::kTextId);
  EXPECT_EQ(text->text(), QStringLiteral("フォルダ容量を確認しています...\n\nしばらくお待ちください。100%"));
  EXPECT_FALSE(text->wordWrap());
  // Four lines reserved, 390 pixels wide from x 10; the window is 20 pixels wider.
  EXPECT_EQ(text->geometry().x(), 10);
  EXPECT_EQ(text->geometry().width(), 390);
  EXPECT_GE(text->geometry().height(), 4 * text->fontMetrics().height());
  EXPECT_EQ(wnd.Window()->width(), 410);
  auto* cancel = Control<QPushButton>(*wnd.Window(), CProgressWnd::kCancelId);
  EXPECT_EQ(cancel->text(), QStringLiteral(" Cancel "));
  EXPECT_EQ(cancel->geometry().right(), text->geometry().right());
  EXPECT_GT(cancel->geometry().top(), text->geometry().bottom());
}

TEST_F(ProgressWndTest, EscWhilePumpingCancelsHidesAndFreesTheOwnerOnlyAtDestroy) {
  QWidget owner;
  owner.show();
  {
    CProgressWnd wnd(&owner, kTitle, false, &m_store);
    ASSERT_TRUE(wnd.EnterModal("Progress", false));
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(wnd.Window()->isEnabled());
    EXPECT_EQ(Caption(wnd), QString::fromStdString(kTitle));

    // Esc is ignored where the caller did not ask for it.
    QCoreApplication::postEvent(wnd.Window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    wnd.PumpMessages(false);
    EXPECT_FALSE(wnd.m_bCancelRequested);

    QCoreApplication::postEvent(wnd.Window(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    wnd.PumpMessages(true);
    EXPECT_TRUE(wnd.m_bCancelRequested);
    // Closed like a modal window: gone at the next dispatch, the owner still disabled.
    QCoreApplication::processEvents();
    EXPECT_EQ(wnd.Window(), nullptr);
    EXPECT_FALSE(owner.isEnabled());
  }
  EXPECT_TRUE(owner.isEnabled());
}

TEST_F(ProgressWndTest, CancelButtonCancelsOnceAndResetBringsTheWindowBack) {
  CProgressWnd wnd(nullptr, kTitle, false, nullptr);
  wnd.SetRange(0, 100, 1);
  wnd.SetPos(50);
  auto* cancel = Control<QPushButton>(*wnd.Window(), CProgressWnd::kCancelId);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_TRUE(wnd.m_bCancelRequested);
  EXPECT_FALSE(wnd.Window()->isVisible());

  wnd.Reset();
  EXPECT_FALSE(wnd.m_bCancelRequested);
  EXPECT_TRUE(wnd.Window()->isVisible());
  EXPECT_EQ(Control<QProgressBar>(*wnd.Window(), CProgressWnd::kBarId)->value(), 0);
}

// Notes whether the cancel was already requested when the button itself receives the release.
class ReleaseWatch : public QObject {
 public:
  explicit ReleaseWatch(const CProgressWnd& wnd) : m_wnd(wnd) {}
  int releases = 0;
  bool cancelledAtRelease = false;

 protected:
  bool eventFilter(QObject* /*target*/, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease) {
      ++releases;
      cancelledAtRelease = m_wnd.m_bCancelRequested;
    }
    return false;
  }

 private:
  const CProgressWnd& m_wnd;
};

TEST_F(ProgressWndTest, ReleaseOverCancelWhileModalCancelsBeforeTheClick) {
  QWidget owner;
  CProgressWnd wnd(&owner, kTitle, false, nullptr);
  wnd.EnterModal("Progress", false);
  auto* cancel = Control<QPushButton>(*wnd.Window(), CProgressWnd::kCancelId);
  ReleaseWatch watch(wnd);
  cancel->installEventFilter(&watch);
  const QPointF centre = QRectF(cancel->rect()).center();
  QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonPress, centre, cancel->mapToGlobal(centre),
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, centre, cancel->mapToGlobal(centre),
                                                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  wnd.PumpMessages(true);
  EXPECT_EQ(watch.releases, 1);
  EXPECT_TRUE(watch.cancelledAtRelease);
  EXPECT_TRUE(wnd.m_bCancelRequested);
  EXPECT_FALSE(wnd.Window() && wnd.Window()->isVisible());
}

TEST_F(ProgressWndTest, PositionComesBackWhereItWasLeftAndOffScreenIsCentred) {
  QWidget owner;
  owner.setGeometry(100, 100, 400, 300);
  owner.show();
  ASSERT_TRUE(WaitUntilPlaced(owner));
  m_store.SaveProgressPosition(123, 77);
  QRect left;
  {
    CProgressWnd wnd(&owner, kTitle, false, &m_store);
    ASSERT_TRUE(WaitUntilPlaced(*wnd.Window()));
    EXPECT_EQ(wnd.Window()->frameGeometry().topLeft(), QPoint(123, 77));
    wnd.Window()->move(140, 90);
    EXPECT_TRUE(QTest::qWaitFor([&] { return wnd.Window()->frameGeometry().topLeft() == QPoint(140, 90); }));
    left = wnd.Window()->geometry();
  }
  EXPECT_EQ(m_store.LoadProgressPosition(), std::make_pair(140, 90));
  // Under a window manager with title bars too: not a pixel of drift from one Start to the next.
  // Start sets a text wider than the layout at once, before the window is framed: it grows to
  // the right from the same corner.
  for (int opening = 0; opening < 2; ++opening) {
    CProgressWnd wnd(&owner, kTitle, false, &m_store);
    wnd.SetText("%s", msg::kFolderSizeText);
    ASSERT_TRUE(WaitUntilPlaced(*wnd.Window()));
    EXPECT_EQ(wnd.Window()->geometry().topLeft(), left.topLeft()) << opening;
  }
  EXPECT_EQ(m_store.LoadProgressPosition(), std::make_pair(140, 90));

  m_store.SaveProgressPosition(50000, 50000);
  CProgressWnd wnd(&owner, kTitle, false, &m_store);
  ASSERT_TRUE(WaitUntilPlaced(*wnd.Window()));
  // A line too wide for the layout widens the window, which stays centred.
  const int narrow = wnd.Window()->width();
  wnd.SetText("%s", msg::kFolderSizeText);
  ASSERT_GT(wnd.Window()->width(), narrow);
  const auto offCentre = [&] { return wnd.Window()->frameGeometry().center() - owner.frameGeometry().center(); };
  // A window manager confirms the move a moment later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return offCentre().manhattanLength() <= 4; }))
      << offCentre().x() << "," << offCentre().y();
}

}  // namespace
}  // namespace talvenor::test
