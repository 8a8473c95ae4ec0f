#include "ui/CMonitorDlg.h"

#include <QAction>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

#include "app/SettingsStore.h"
#include "detect/MonitorSession.h"
#include "platform/FileSystem.h"
#include "ui/CProgressWnd.h"
#include "ui/CSplashWnd.h"
#include "ui/DialogUnits.h"
#include "ui/Resources.h"
#include "ui/TrayIcon.h"
#include "ui/UiText.h"

namespace talvenor::ui {
namespace {

struct ButtonDef {
  int id;
  const char* text;
  int x, y, w, h;
};

// Template 102, in tab order.
constexpr ButtonDef kTopButtons[] = {
    {command::kBrowseWatch, QT_TRANSLATE_NOOP("talvenor", "参照(&D).."), 255, 5, 30, 15},
    {command::kHelp, QT_TRANSLATE_NOOP("talvenor", "ヘルプ(&H).."), 288, 5, 40, 14}};
constexpr ButtonDef kBackupBrowse = {
    command::kBrowseBackup, QT_TRANSLATE_NOOP("talvenor", "参照(&E).."), 255, 30, 30, 15};
constexpr ButtonDef kBottomButtons[] = {
    {command::kStart, QT_TRANSLATE_NOOP("talvenor", "開始(&A)"), 6, 155, 50, 14},
    {command::kStop, QT_TRANSLATE_NOOP("talvenor", "停止(&B)"), 61, 155, 50, 14},
    {command::kSettings, QT_TRANSLATE_NOOP("talvenor", "詳細設定(&M).."), 116, 155, 50, 14},
    {command::kShowLog, QT_TRANSLATE_NOOP("talvenor", "ログ表示(&L).."), 171, 155, 46, 14},
    {command::kClose, QT_TRANSLATE_NOOP("talvenor", "閉じる(&C)"), 221, 155, 50, 14},
    {command::kQuit, QT_TRANSLATE_NOOP("talvenor", "終了(&Q)"), 276, 155, 50, 14}};
// Test commands that nothing in the window shows.
constexpr ButtonDef kHiddenButtons[] = {{command::kWriteTest, "書き込みtest", 290, 30, 15, 10},
                                        {command::kReadTest, "読み込みtest", 305, 30, 15, 10},
                                        {command::kReadSnapshot, "読み込み2", 295, 35, 15, 10}};

const char* const kBytesProperty = "talvenorBytes";

// The right edge of both Browse buttons, and the English widths (dialog units).
constexpr int kBrowseRight = 285;
constexpr int kEnglishLabelWidth = 54;
constexpr int kEnglishBrowseWidth = 38;

}  // namespace

const char* CMonitorDlg::ToolTipText(int id) {
  switch (id) {
    case command::kStart:
      return QT_TRANSLATE_NOOP("talvenor", "監視をスタートします");
    case command::kStop:
      return QT_TRANSLATE_NOOP("talvenor", "監視をストップします");
    case command::kSettings:
      return QT_TRANSLATE_NOOP("talvenor", "ログサイズ、監視レベルの設定等を行います");
    case command::kShowLog:
      return QT_TRANSLATE_NOOP("talvenor", "ログを表示します");
    case command::kClose:
      return QT_TRANSLATE_NOOP("talvenor", "画面を閉じます");
    case command::kQuit:
      return QT_TRANSLATE_NOOP("talvenor", "アプリケーションを終了します");
    case command::kBrowseWatch:
      return QT_TRANSLATE_NOOP("talvenor", "監視先を設定します");
    case command::kBrowseBackup:
      return QT_TRANSLATE_NOOP("talvenor", "バックアップ先の設定します");
    case command::kHelp:
      return QT_TRANSLATE_NOOP("talvenor", "ヘルプを表示します");
    default:
      return nullptr;
  }
}

CMonitorDlg::CMonitorDlg(SettingsStore& store, std::vector<std::string> args, std::unique_ptr<TrayIcon> tray)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_store(store),
      m_args(std::move(args)),
      m_settings(store.Load()),
      m_tray(std::move(tray)),
      m_hIcon((EnsureResources(), QIcon(QStringLiteral(":/icon128.png")))) {
  BuildControls();
  if (m_tray) m_tray->onNotify = [this](int iconId, int mouseMessage) { OnTrayNotify(iconId, mouseMessage); };
  m_timer.setTimerType(Qt::CoarseTimer);
  connect(&m_timer, &QTimer::timeout, this, [this] { m_commands.OnTick(); });
  connect(&m_saveTimer, &QTimer::timeout, this, [this] { m_commands.OnSaveTick(); });
}

CMonitorDlg::~CMonitorDlg() {
  m_timer.stop();
  m_saveTimer.stop();
  m_progress.reset();
  // The icon lives exactly as long as the window.
  if (m_tray) m_tray->Remove();
}

void CMonitorDlg::BuildControls() {
  setWindowTitle(QStringLiteral("Talvenor"));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.X(334), units.Y(175));

  // English captions are longer: the labels and the Browse buttons take room from the folder
  // fields, by widths worked out once for the dialog font. All else keeps its template place.
  const bool english = CurrentLanguage() == Language::English;
  const int labelWidths[2] = {english ? kEnglishLabelWidth : 44, english ? kEnglishLabelWidth : 46};
  const int editX = english ? 4 + kEnglishLabelWidth + 3 : 51;
  const int browseX = english ? kBrowseRight - kEnglishBrowseWidth : 255;

  auto label = [&](const char* text, QRect rect) {
    auto* widget = new QLabel(Tr(text), this);
    widget->setGeometry(rect);
  };
  auto button = [&](const ButtonDef& def) {
    auto* widget = new QPushButton(Tr(def.text), this);
    widget->setObjectName(QString::number(def.id));
    const bool browse = def.id == command::kBrowseWatch || def.id == command::kBrowseBackup;
    widget->setGeometry(browse ? units.Rect(browseX, def.y, kBrowseRight - browseX, def.h)
                               : units.Rect(def.x, def.y, def.w, def.h));
    if (const char* tip = ToolTipText(def.id)) widget->setToolTip(Tr(tip));
    connect(widget, &QPushButton::clicked, this, [this, id = def.id] { OnCommand(id); });
    return widget;
  };
  auto edit = [&](int id, int y) {
    auto* widget = new QLineEdit(this);
    widget->setObjectName(QString::number(id));
    widget->setGeometry(units.Rect(editX, y, browseX - 4 - editX, 15));
    return widget;
  };

  label(QT_TRANSLATE_NOOP("talvenor", "監視フォルダ:"), units.Rect(4, 5, labelWidths[0], 8));
  m_editWatchDir = edit(command::kWatchDir, 5);
  for (const ButtonDef& def : kTopButtons) button(def);
  label(QT_TRANSLATE_NOOP("talvenor", "バックアップ先"), units.Rect(4, 32, labelWidths[1], 8));
  m_editBackupDir = edit(command::kBackupDir, 30);
  button(kBackupBrowse);

  m_list = new QTreeWidget(this);
  m_list->setObjectName(QStringLiteral("1017"));
  m_list->setGeometry(units.Rect(7, 50, 320, 100));
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setColumnCount(3);
  m_list->header()->setStretchLastSection(false);
  m_list->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // A row names a copy, but opening it is left to the log: a double click does nothing.
  m_list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) { OnListContextMenu(at); });

  // Enter presses the focused button; from elsewhere it presses Close.
  for (const ButtonDef& def : kBottomButtons) button(def);
  Button(command::kClose)->setDefault(true);
  for (const ButtonDef& def : kHiddenButtons) button(def)->hide();
  m_listBox = new QListWidget(this);
  m_listBox->setObjectName(QStringLiteral("1004"));
  m_listBox->setGeometry(units.Rect(300, 35, 20, 10));
  m_listBox->setSortingEnabled(true);
  m_listBox->hide();

  // Linux windows have no system menu to carry the about item; the window's context menu does.
  auto* about = new QAction(QCoreApplication::translate("talvenor", "Talvenor のﾊﾞｰｼﾞｮﾝ情報(&A)..."), this);
  about->setObjectName(QString::number(kAboutCommand));
  connect(about, &QAction::triggered, this, [this] { OnCommand(kAboutCommand); });
  addAction(about);
  setContextMenuPolicy(Qt::ActionsContextMenu);
}

QWidget* CMonitorDlg::Control(int id) const { return findChild<QWidget*>(QString::number(id)); }

QPushButton* CMonitorDlg::Button(int id) const { return findChild<QPushButton*>(QString::number(id)); }

void CMonitorDlg::OnInitDialog() {
  m_bInitialising = true;
  PushFolderTexts();
  setWindowIcon(m_hIcon);
  m_commands.OpenSession();
  InstanceStatus opened = Session().Status();
  opened.watch = m_settings.DIR1;
  opened.backup = m_settings.DIR2;
  StatusChanged(opened);
  SetUpColumns();
  PlaceAtSavedPosition();
  m_bAutoStart = m_commands.StartIfAsked(m_args);
  CSplashWnd::ShowSplash(3000, CSplashWnd::kBitmapId, this);
  m_bInitialising = false;
  if (!m_bHiddenByInit) show();
}

int CMonitorDlg::RunModal() {
  OnInitDialog();
  if (!m_commands.IsQuitting()) {
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return result();
}

void CMonitorDlg::SetUpColumns() {
  int* widths[3] = {&m_settings.COLUMNX1, &m_settings.COLUMNX2, &m_settings.COLUMNX3};
  // A negative width comes only from a damaged file: start again from the computed widths.
  if (m_settings.COLUMNX1 == 0 || *widths[0] < 0 || *widths[1] < 0 || *widths[2] < 0) {
    const int w = m_list->width();
    *widths[0] = w / 7;
    *widths[1] = 3 * w / 7;
    *widths[2] = 3 * w / 7;
  }
  m_list->setHeaderLabels({QCoreApplication::translate("talvenor", "ファイル名"),
                           QCoreApplication::translate("talvenor", "パス"),
                           QCoreApplication::translate("talvenor", "バックアップ先", "list column")});
  for (int column = 0; column < 3; ++column) m_list->setColumnWidth(column, *widths[column]);
}

void CMonitorDlg::PlaceAtSavedPosition() {
  if (m_settings.RIGHT == 0) return;
  // The size is the template's; a saved position is used only if the title bar would be on a
  // screen, so a window saved on a monitor that has gone still opens where it can be reached.
  const QRect titleBar(m_settings.LEFT, m_settings.TOP, width(), 20);
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect visible = screen->availableGeometry().intersected(titleBar);
    if (visible.width() >= 40 && visible.height() >= 10) {
      move(m_settings.LEFT, m_settings.TOP);
      return;
    }
  }
}

void CMonitorDlg::showEvent(QShowEvent* event) {
  m_bEverShown = true;
  QDialog::showEvent(event);
}

// The fields show the folder texts decoded for display, but keep the bytes they were given:
// a name that is not valid UTF-8 reaches Start unchanged unless the user edits it.
void CMonitorDlg::PushFolderTexts() {
  const std::pair<QLineEdit*, const std::string*> fields[] = {{m_editWatchDir, &m_settings.DIR1},
                                                              {m_editBackupDir, &m_settings.DIR2}};
  for (const auto& [edit, text] : fields) {
    const QByteArray bytes = QByteArray::fromStdString(*text);
    edit->setProperty(kBytesProperty, bytes);
    edit->setText(QFile::decodeName(bytes));
  }
}

void CMonitorDlg::PullFolderTexts() {
  const std::pair<QLineEdit*, std::string*> fields[] = {{m_editWatchDir, &m_settings.DIR1},
                                                        {m_editBackupDir, &m_settings.DIR2}};
  for (const auto& [edit, text] : fields) {
    const QByteArray bytes = edit->property(kBytesProperty).toByteArray();
    *text =
        edit->text() == QFile::decodeName(bytes) ? bytes.toStdString() : QFile::encodeName(edit->text()).toStdString();
  }
}

void CMonitorDlg::EnableControl(int id, bool enabled) {
  if (QWidget* control = Control(id)) control->setEnabled(enabled);
}

void CMonitorDlg::FocusControl(int id) {
  if (QWidget* control = Control(id)) control->setFocus();
}

}  // namespace talvenor::ui
