// The versions of a file, from the change list's menu.
#include <QAction>
#include <QMenu>
#include <QTreeWidget>

#include "ui/CMonitorDlg.h"
#include "ui/CVersionsDlg.h"
#include "ui/FileDialogs.h"
#include "ui/UiText.h"

namespace talvenor::ui {

void CMonitorDlg::OnListContextMenu(const QPoint& at) {
  // A change row names its file by a full path; the rows of a pass's markers name none.
  const QTreeWidgetItem* row = m_list->itemAt(at);
  const std::string source = row ? row->data(1, Qt::UserRole).toByteArray().toStdString() : std::string();
  const bool changeRow = !source.empty() && source.front() == '/';
  QMenu menu(this);
  QAction* versions = menu.addAction(Tr(QT_TRANSLATE_NOOP("talvenor", "バージョン(&V)..")));
  versions->setObjectName(QStringLiteral("versions"));
  versions->setEnabled(changeRow);
  QAction* ofAFile = menu.addAction(Tr(QT_TRANSLATE_NOOP("talvenor", "ファイルのバージョン(&F)..")));
  ofAFile->setObjectName(QStringLiteral("versionsOfAFile"));
  QAction* chosen = menu.exec(m_list->viewport()->mapToGlobal(at));
  if (chosen == versions) OpenVersions(source);
  if (chosen == ofAFile) OnVersionsOfAFile();
}

void CMonitorDlg::OnVersionsOfAFile() {
  PullFolderTexts();
  const std::string source = FileDialogs::PickAnyFile(
      this, Tr(QT_TRANSLATE_NOOP("talvenor", "バージョンを表示するファイル")), m_settings.DIR1);
  if (!source.empty()) OpenVersions(source);
}

void CMonitorDlg::OpenVersions(const std::string& source) {
  // The backup folder of the field: while monitoring it is the one in use.
  PullFolderTexts();
  auto* window = new CVersionsDlg(this, source, m_settings.DIR2, Paths().g_logPath);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
}

}  // namespace talvenor::ui
