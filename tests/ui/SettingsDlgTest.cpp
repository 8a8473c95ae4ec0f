#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QTest>
#include <tuple>

#include "UiTestSupport.h"
#include "ui/CSettingsDlg.h"

namespace talvenor::test {
namespace {

using ui::CSettingsDlg;

class SettingsDlgTest : public UiTest {
 protected:
  void Click(CSettingsDlg& dialog, int id) {
    auto* button = Control<QAbstractButton>(dialog, id);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
  }
  std::vector<int> Marked(const CSettingsDlg& dialog) {
    std::vector<int> ids;
    for (int id : CSettingsDlg::kRadioIds) {
      if (Control<QRadioButton>(dialog, id)->isChecked()) ids.push_back(id);
    }
    return ids;
  }
  static std::tuple<int, int, int, int> Choices(const Settings& s) { return {s.LOGSZ, s.LEVEL, s.BAKSZ, s.FIRST}; }
  Settings m_settings;
};

TEST_F(SettingsDlgTest, OpensOnTheStoredChoicesAndOutOfListValuesOnTheFirstButton) {
  m_settings.LOGSZ = 500, m_settings.LEVEL = 60, m_settings.BAKSZ = 100, m_settings.FIRST = 5;
  CSettingsDlg dialog(m_settings);
  dialog.show();
  EXPECT_EQ(Marked(dialog), (std::vector<int>{1026, 1031, 1033, 1037}));
  EXPECT_EQ(dialog.RadioValues()[5], 0);
  EXPECT_EQ(dialog.RadioValues()[4], -1);

  Click(dialog, 1);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Choices(m_settings), std::make_tuple(100, 60, 100, 0));  // LEVEL 60: the button captioned "100"
}

TEST_F(SettingsDlgTest, ClicksKeepOneMarkPerRowAndOkStoresThem) {
  m_settings.FIRST = 0;
  CSettingsDlg dialog(m_settings);
  dialog.show();
  // A second click on 1028 leaves the mark where it is.
  for (int id : {1027, 1028, 1028, 1030, 1034, 1036}) Click(dialog, id);
  EXPECT_EQ(Marked(dialog), (std::vector<int>{1028, 1030, 1034, 1036}));
  Click(dialog, 1);
  EXPECT_EQ(Choices(m_settings), std::make_tuple(10000, 10, 1000, 1));
}

TEST_F(SettingsDlgTest, CancelAfterClicksAndEscChangeNothing) {
  const Settings before = m_settings;
  for (bool byEsc : {false, true}) {
    CSettingsDlg dialog(m_settings);
    dialog.show();
    for (int id : {1028, 1031, 1032, 1036}) Click(dialog, id);
    if (byEsc) {
      QTest::keyClick(&dialog, Qt::Key_Escape);
    } else {
      Click(dialog, 2);
    }
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Choices(m_settings), Choices(before)) << byEsc;
  }
}

TEST_F(SettingsDlgTest, EveryRowOfButtonsSitsInsideItsFrameAndNoFramesOverlap) {
  CSettingsDlg dialog(m_settings);
  dialog.show();
  const std::pair<int, std::vector<int>> rows[] = {
      {1025, {1026, 1027, 1028}}, {1024, {1029, 1030, 1031}}, {1035, {1032, 1033, 1034}}, {1039, {1036, 1037}}};
  QRect above;
  for (const auto& [group, radios] : rows) {
    const auto* box = Control<QGroupBox>(dialog, group);
    // The room the style gives the box's contents: inside the frame and below the title.
    const QRect inside = box->contentsRect().translated(box->pos());
    for (int id : radios) {
      EXPECT_TRUE(inside.contains(Control<QRadioButton>(dialog, id)->geometry())) << group << " " << id;
    }
    EXPECT_FALSE(box->geometry().intersects(above)) << group;
    EXPECT_TRUE(dialog.rect().contains(box->geometry())) << group;
    above = box->geometry();
  }
}

TEST_F(SettingsDlgTest, TextsTooltipsAndTabOrder) {
  CSettingsDlg dialog(m_settings);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("詳細設定"));
  EXPECT_EQ(Control<QPushButton>(dialog, 2)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
  EXPECT_EQ(Control<QRadioButton>(dialog, 1031)->text(), QStringLiteral("100"));
  const std::pair<int, const char*> tips[] = {{1026, "ログファイルの最大サイズを100KBとします"},
                                              {1027, "ログファイルの最大サイズを1MBとします"},
                                              {1028, "ログファイルの最大サイズを10MBとします"},
                                              {1029, "もっとも速い監視を行います"},
                                              {1030, "中ぐらいのレベルの監視を行います"},
                                              {1031, "もっとも遅い監視を行います"},
                                              {1032, "バックアップ数を10に設定します"},
                                              {1033, "バックアップ数を100に設定します"},
                                              {1034, "バックアップ数を1000に設定します"},
                                              {1036, "最初のバックアップで、すべてのファイルをバックアップします"},
                                              {1037, "最初のバックアップで、変更されたファイルのみバックアップします"},
                                              {1, "変更内容を有効にします"},
                                              {2, "変更内容をキャンセルします"}};
  for (const auto& [id, tip] : tips) EXPECT_EQ(Control<QWidget>(dialog, id)->toolTip(), QString::fromUtf8(tip)) << id;
  for (int group : {1024, 1025, 1035, 1039}) {
    EXPECT_TRUE(Control<QGroupBox>(dialog, group)->toolTip().isEmpty());
    EXPECT_EQ(Control<QGroupBox>(dialog, group)->focusPolicy(), Qt::NoFocus);
  }
  EXPECT_EQ(Control<QGroupBox>(dialog, 1024)->title(), QStringLiteral("監視レベル"));

  std::vector<QString> order;
  QWidget* widget = Control<QWidget>(dialog, 1);
  for (int guard = 0; order.size() < 13 && guard < 100; ++guard, widget = widget->nextInFocusChain()) {
    if (widget->focusPolicy() & Qt::TabFocus) order.push_back(widget->objectName());
  }
  EXPECT_EQ(order, (std::vector<QString>{"1", "2", "1026", "1027", "1028", "1029", "1030", "1031", "1032", "1033",
                                         "1034", "1036", "1037"}));
}

}  // namespace
}  // namespace talvenor::test
