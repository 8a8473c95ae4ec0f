#include "ui/CSettingsDlg.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "app/SettingsChoices.h"
#include "ui/DialogUnits.h"
#include "ui/UiText.h"

namespace talvenor::ui {
namespace {

struct RadioDef {
  int id;
  struct {
    const char *source, *comment;  // the comment tells the rows' "1", "10" and "100" apart
  } caption;
  int x, y, w;
  const char* tip;
};

// Template 135, in tab order. Each row is a group of three (the last of two) buttons.
constexpr RadioDef kRadios[CSettingsDlg::kRadioCount] = {
    {1026, QT_TRANSLATE_NOOP3("talvenor", "1", "log size"), 10, 15, 20,
     QT_TRANSLATE_NOOP("talvenor", "ログファイルの最大サイズを100KBとします")},
    {1027, QT_TRANSLATE_NOOP3("talvenor", "10", "log size"), 46, 15, 24,
     QT_TRANSLATE_NOOP("talvenor", "ログファイルの最大サイズを1MBとします")},
    {1028, QT_TRANSLATE_NOOP3("talvenor", "100", "log size"), 82, 15, 28,
     QT_TRANSLATE_NOOP("talvenor", "ログファイルの最大サイズを10MBとします")},
    {1029, QT_TRANSLATE_NOOP3("talvenor", "1", "monitoring level"), 10, 45, 20,
     QT_TRANSLATE_NOOP("talvenor", "もっとも速い監視を行います")},
    {1030, QT_TRANSLATE_NOOP3("talvenor", "10", "monitoring level"), 46, 45, 24,
     QT_TRANSLATE_NOOP("talvenor", "中ぐらいのレベルの監視を行います")},
    {1031, QT_TRANSLATE_NOOP3("talvenor", "100", "monitoring level"), 82, 45, 28,
     QT_TRANSLATE_NOOP("talvenor", "もっとも遅い監視を行います")},
    {1032, QT_TRANSLATE_NOOP3("talvenor", "10", "backups"), 10, 75, 24,
     QT_TRANSLATE_NOOP("talvenor", "バックアップ数を10に設定します")},
    {1033, QT_TRANSLATE_NOOP3("talvenor", "100", "backups"), 46, 75, 28,
     QT_TRANSLATE_NOOP("talvenor", "バックアップ数を100に設定します")},
    {1034, QT_TRANSLATE_NOOP3("talvenor", "1000", "backups"), 82, 75, 32,
     QT_TRANSLATE_NOOP("talvenor", "バックアップ数を1000に設定します")},
    {1036, QT_TRANSLATE_NOOP3("talvenor", "する", "first backup"), 10, 105, 30,
     QT_TRANSLATE_NOOP("talvenor", "最初のバックアップで、すべてのファイルをバックアップします")},
    {1037, QT_TRANSLATE_NOOP3("talvenor", "しない", "first backup"), 65, 105, 36,
     QT_TRANSLATE_NOOP("talvenor", "最初のバックアップで、変更されたファイルのみバックアップします")},
};

// English captions carry their units ("100 KB", "60 s"): places (x, width) worked out once for
// the dialog font, each clear of the next button and inside its frame.
constexpr struct {
  int x, w;
} kEnglishPlaces[CSettingsDlg::kRadioCount] = {{10, 39}, {50, 39}, {90, 39}, {10, 39}, {50, 39}, {90, 39},
                                               {10, 24}, {46, 28}, {82, 32}, {10, 40}, {65, 62}};

// A button's row among kChoiceRows and its place in that row, by its index in kRadios.
struct Place {
  std::size_t row;
  int button;
};

Place PlaceOf(int index) {
  const int id = kRadios[index].id;
  for (std::size_t r = 0; r < kChoiceRows.size(); ++r) {
    const ChoiceRow& row = kChoiceRows[r];
    if (id >= row.firstId && id < row.firstId + row.count) return {r, id - row.firstId};
  }
  return {0, 0};
}

// The template puts a row of buttons 10 units below its box's top, for a system that draws the
// frame's top line through the middle of the title. A style that draws the title above the
// frame would put the row on that line; so the box is placed by the room it gives its contents,
// which then begins a unit above the row, wherever the style puts the title.
void PlaceAroundRow(QGroupBox& box, int rowTop) {
  QStyleOptionGroupBox option;
  option.initFrom(&box);
  option.text = box.title();
  option.textAlignment = box.alignment();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  option.lineWidth = 1;
  const int contentsTop =
      box.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, &box).top();
  QRect rect = box.geometry();
  rect.setTop(rowTop - (contentsTop - option.rect.top()));
  box.setGeometry(rect);
}

}  // namespace

const std::array<int, CSettingsDlg::kRadioCount> CSettingsDlg::kRadioIds = {1026, 1027, 1028, 1029, 1030, 1031,
                                                                            1032, 1033, 1034, 1036, 1037};

const char* CSettingsDlg::ToolTipText(int id) {
  for (const RadioDef& def : kRadios) {
    if (def.id == id) return def.tip;
  }
  if (id == 1) return QT_TRANSLATE_NOOP("talvenor", "変更内容を有効にします");
  if (id == 2) return QT_TRANSLATE_NOOP("talvenor", "変更内容をキャンセルします");
  return nullptr;
}

CSettingsDlg::CSettingsDlg(Settings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_settings(settings) {
  setWindowTitle(QCoreApplication::translate("talvenor", "詳細設定"));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.X(204), units.Y(136));

  const auto chosen = ChoicesFrom(settings);
  for (int i = 0; i < kRadioCount; ++i) m_nRadio[i] = chosen[PlaceOf(i).row] == PlaceOf(i).button ? 0 : -1;

  // Created in tab order: OK, Cancel, then the buttons row by row.
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setGeometry(units.Rect(150, 10, 50, 14));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QCoreApplication::translate("talvenor", "ｷｬﾝｾﾙ"), this);
  cancel->setObjectName(QStringLiteral("2"));
  cancel->setGeometry(units.Rect(150, 30, 50, 14));
  for (auto* button : {ok, cancel}) button->setToolTip(Tr(ToolTipText(button->objectName().toInt())));
  connect(ok, &QPushButton::clicked, this, &CSettingsDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CSettingsDlg::reject);

  const struct {
    int id;
    const char* caption;
    int y;
  } groups[] = {{1025, QT_TRANSLATE_NOOP("talvenor", "ログの長さ"), 5},
                {1024, QT_TRANSLATE_NOOP("talvenor", "監視レベル"), 35},
                {1035, QT_TRANSLATE_NOOP("talvenor", "バックアップ数"), 65},
                {1039, QT_TRANSLATE_NOOP("talvenor", "初回バックアップ"), 95}};
  for (const auto& group : groups) {
    auto* box = new QGroupBox(Tr(group.caption), this);
    box->setObjectName(QString::number(group.id));
    box->setGeometry(units.Rect(5, group.y, 135, 25));
    box->setFocusPolicy(Qt::NoFocus);
    PlaceAroundRow(*box, units.Y(group.y + 10 - 1));
  }

  const bool english = CurrentLanguage() == Language::English;
  QWidget* previous = cancel;
  setTabOrder(ok, cancel);
  for (int i = 0; i < kRadioCount; ++i) {
    const RadioDef& def = kRadios[i];
    auto* radio = new QRadioButton(Tr(def.caption.source, def.caption.comment), this);
    radio->setObjectName(QString::number(def.id));
    radio->setGeometry(english ? units.Rect(kEnglishPlaces[i].x, def.y, kEnglishPlaces[i].w, 10)
                               : units.Rect(def.x, def.y, def.w, 10));
    radio->setToolTip(Tr(def.tip));
    // Every button is a group of its own; the click handler keeps each row to one mark.
    radio->setAutoExclusive(false);
    radio->setFocusPolicy(Qt::StrongFocus);
    radio->raise();
    connect(radio, &QRadioButton::clicked, this, [this, i] { OnRadioClicked(i); });
    setTabOrder(previous, radio);
    previous = radio;
    m_radio[i] = radio;
  }
  UpdateButtons();
}

void CSettingsDlg::OnRadioClicked(int index) {
  const std::size_t row = PlaceOf(index).row;
  for (int i = 0; i < kRadioCount; ++i) {
    if (PlaceOf(i).row == row) m_nRadio[i] = i == index ? 0 : -1;
  }
  UpdateButtons();
}

void CSettingsDlg::UpdateButtons() {
  for (int i = 0; i < kRadioCount; ++i) m_radio[i]->setChecked(m_nRadio[i] == 0);
}

void CSettingsDlg::accept() {
  // Taken from the values the clicks kept, not read back from the buttons.
  std::array<int, kChoiceRows.size()> chosen;
  chosen.fill(-1);
  for (int i = 0; i < kRadioCount; ++i) {
    if (m_nRadio[i] == 0) chosen[PlaceOf(i).row] = PlaceOf(i).button;
  }
  StoreChoices(chosen, m_settings);
  QDialog::accept();
}

}  // namespace talvenor::ui
