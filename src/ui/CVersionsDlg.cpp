#include "ui/CVersionsDlg.h"

#include <QDesktopServices>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/VersionsCommand.h"
#include "core/Messages.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"
#include "ui/DialogUnits.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"

namespace talvenor::ui {
namespace {

constexpr const char* kTitle = QT_TRANSLATE_NOOP("talvenor", "バージョン - %1");
constexpr const char* kSaveTitle = QT_TRANSLATE_NOOP("talvenor", "コピーを保存");
constexpr const char* kReplace = QT_TRANSLATE_NOOP("talvenor", "%1 は既にあります。\n置き換えますか？");
constexpr const char* kNotSaved = QT_TRANSLATE_NOOP("talvenor", "コピーを保存できませんでした\n%1");

QString Decoded(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::string WithValue(const char* text, const std::string& value) {
  return msg::Format(Tr(text).toStdString(), {value});
}

void OpenWithDesktop(const std::string& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(Decoded(path))); }

}  // namespace

CVersionsDlg::CVersionsDlg(QWidget* parent, std::string source, std::string backupDir, std::string logPath)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_source(std::move(source)),
      m_backupDir(std::move(backupDir)),
      m_logPath(std::move(logPath)) {
  setWindowTitle(Tr(kTitle).arg(Decoded(m_source.substr(m_source.find_last_of('/') + 1))));
  setFont(DialogFont());
  const DialogUnits units(font());
  resize(units.X(334), units.Y(175));

  auto* layout = new QVBoxLayout(this);
  m_status = new QLabel(this);
  m_status->setTextFormat(Qt::PlainText);
  m_status->setText(Decoded(m_source));
  layout->addWidget(m_status);
  m_list = new QTreeWidget(this);
  m_list->setObjectName(QStringLiteral("versions"));
  m_list->setRootIsDecorated(false);
  m_list->setUniformRowHeights(true);
  m_list->setHeaderLabels({Tr(QT_TRANSLATE_NOOP("talvenor", "日時")), Tr(QT_TRANSLATE_NOOP("talvenor", "サイズ")),
                           Tr(QT_TRANSLATE_NOOP("talvenor", "コピー"))});
  m_list->header()->setStretchLastSection(true);
  layout->addWidget(m_list);

  auto* buttons = new QHBoxLayout;
  const struct {
    const char* name;
    const char* text;
    void (CVersionsDlg::*handler)();
  } defs[] = {{"open", QT_TRANSLATE_NOOP("talvenor", "開く(&O)"), &CVersionsDlg::OnOpen},
              {"showInFolder", QT_TRANSLATE_NOOP("talvenor", "フォルダを表示(&F)"), &CVersionsDlg::OnShowInFolder},
              {"saveCopyAs", QT_TRANSLATE_NOOP("talvenor", "コピーを保存(&S).."), &CVersionsDlg::OnSaveCopyAs}};
  for (const auto& def : defs) {
    auto* button = new QPushButton(Tr(def.text), this);
    button->setObjectName(QString::fromLatin1(def.name));
    connect(button, &QPushButton::clicked, this, def.handler);
    buttons->addWidget(button);
    m_copyButtons.push_back(button);
  }
  buttons->addStretch();
  auto* close = new QPushButton(Tr(QT_TRANSLATE_NOOP("talvenor", "閉じる(&C)")), this);
  close->setObjectName(QStringLiteral("close"));
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] { EnableButtons(); });
  connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { OnOpen(); });
  Refresh();
}

void CVersionsDlg::Refresh() {
  const VersionListing listing = ListVersions(m_backupDir, m_source, m_logPath);
  m_versions = listing.versions;
  m_list->clear();
  const QLocale locale;
  for (const FoundVersion& v : m_versions) {
    auto* row = new QTreeWidgetItem(QStringList{QString::fromStdString(PassTimeOf(v.generation)),
                                                locale.toString(static_cast<qulonglong>(v.size)), Decoded(v.copyPath)});
    row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_list->addTopLevelItem(row);
  }
  for (int column = 0; column < 2; ++column) m_list->resizeColumnToContents(column);
  if (!listing.backupReadable) {
    m_status->setText(QString::fromStdString(WithValue(kBackupUnreadableText, m_backupDir)));
  } else if (m_versions.empty()) {
    m_status->setText(QString::fromStdString(WithValue(kNoCopiesText, m_source)));
  } else {
    m_status->setText(Decoded(m_source));
    m_list->setCurrentItem(m_list->topLevelItem(0));
  }
  EnableButtons();
}

const FoundVersion* CVersionsDlg::Selected() const {
  const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
  return row >= 0 && row < static_cast<int>(m_versions.size()) ? &m_versions[static_cast<std::size_t>(row)] : nullptr;
}

void CVersionsDlg::EnableButtons() {
  for (QPushButton* button : m_copyButtons) button->setEnabled(Selected() != nullptr);
}

void CVersionsDlg::OnOpen() {
  if (const FoundVersion* v = Selected()) OpenWithDesktop(v->copyPath);
}

void CVersionsDlg::OnShowInFolder() {
  if (const FoundVersion* v = Selected()) OpenWithDesktop(platform::ParentFolder(v->copyPath));
}

void CVersionsDlg::OnSaveCopyAs() {
  const FoundVersion* v = Selected();
  if (v == nullptr) return;
  const std::string copy = v->copyPath;
  // The program's own question, so the answer is asked once whatever the desktop's dialog does.
  const std::string target = FileDialogs::GetSaveFileName(this, Tr(kSaveTitle), m_source, false);
  if (target.empty()) return;
  bool saved = false;
  if (platform::PathExists(target)) {
    if (!MessageBox::AskOkCancel(this, WithValue(kReplace, target), MessageIcon::Warning)) return;
    saved = platform::CopyFileReplacing(copy, target);
  } else {
    // A file that appeared since is never replaced unasked: the copy then fails.
    saved = platform::CopyFileNoReplace(copy, target);
  }
  if (!saved) MessageBox::Show(this, WithValue(kNotSaved, target), MessageIcon::Stop);
}

}  // namespace talvenor::ui
