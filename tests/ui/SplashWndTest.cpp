#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QtTest/QTest>

#include "UiTestSupport.h"
#include "ui/CSplashWnd.h"

namespace talvenor::test {
namespace {

using ui::CSplashWnd;

class SplashWndTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    CSplashWnd::EnableSplash(true);
    m_holder = std::make_unique<QDialog>();  // only once the application exists
    m_window = m_holder.get();
    m_button = new QPushButton(QStringLiteral("閉じる(&C)"), m_window);
    m_button->setDefault(true);
    QObject::connect(m_button, &QPushButton::clicked, [this] { ++m_clicks; });
    m_window->show();
  }
  void TearDown() override {
    UiTest::TearDown();
    m_holder.reset();
  }
  std::unique_ptr<QDialog> m_holder;
  QDialog* m_window = nullptr;
  QPushButton* m_button = nullptr;
  int m_clicks = 0;
};

TEST_F(SplashWndTest, ShowsOnceCentredAndNotWhenDisabled) {
  CSplashWnd::EnableSplash(false);
  EXPECT_EQ(CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, nullptr), 0);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);

  CSplashWnd::EnableSplash(true);
  EXPECT_EQ(CSplashWnd::ShowSplash(3000, 999, nullptr), 0);  // no such picture
  ASSERT_EQ(CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, nullptr), 1);
  CSplashWnd* splash = CSplashWnd::Current();
  ASSERT_NE(splash, nullptr);
  EXPECT_EQ(splash->size(), QSize(500, 347));
  EXPECT_EQ(splash->geometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
  EXPECT_EQ(CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, nullptr), 0);
  EXPECT_EQ(CSplashWnd::Current(), splash);
}

TEST_F(SplashWndTest, KeyPressClosesTheSplashAndDoesNothingElse) {
  ASSERT_EQ(CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, m_window), 1);
  QTest::keyClick(m_window, Qt::Key_Return);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  EXPECT_EQ(m_clicks, 0);
  // A mnemonic is a key press too.
  ASSERT_EQ(CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, m_window), 1);
  QTest::keyClick(m_window, Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  EXPECT_EQ(m_clicks, 0);
  // Afterwards keys work again.
  QTest::keyClick(m_window, Qt::Key_Return);
  EXPECT_EQ(m_clicks, 1);
}

TEST_F(SplashWndTest, ButtonPressClosesTheSplashButMovesAndReleasesDoNot) {
  ASSERT_EQ(CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, m_window), 1);
  QTest::mouseMove(m_button);
  QTest::mouseRelease(m_button, Qt::LeftButton);
  EXPECT_NE(CSplashWnd::Current(), nullptr);
  QTest::mouseClick(m_button, Qt::LeftButton);
  EXPECT_EQ(CSplashWnd::Current(), nullptr);
  EXPECT_EQ(m_clicks, 0);
}

TEST_F(SplashWndTest, GoesAwayByItselfWhenItsTimeIsUp) {
  ASSERT_EQ(CSplashWnd::ShowSplash(20, CSplashWnd::kBitmapId, m_window), 1);
  EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWnd::Current() == nullptr; }, 5000));
}

}  // namespace
}  // namespace talvenor::test
