// The log display and the test commands that only a command message reaches.
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "changelog/ChangeLog.h"
#include "detect/MonitorSession.h"
#include "detect/Snapshot.h"
#include "detect/SnapshotFile.h"
#include "platform/FileSystem.h"
#include "ui/CMonitorDlg.h"
#include "ui/DesktopOpen.h"
#include "ui/FileDialogs.h"
#include "ui/MessageBox.h"

namespace talvenor::ui {

void CMonitorDlg::OnShowLog() {
  m_session->Log().CopyLogForViewing(m_paths.g_logPath);
  if (!platform::PathExists(m_paths.g_logPath)) {
    platform::RemoveFile(m_paths.g_logBakPath);
    MessageBox::Show(this, QCoreApplication::translate("talvenor", "ログファイルは存在しません").toStdString());
    return;
  }
  // The log itself stays locked by the writer; the desktop opens the viewing copy.
  OpenWithDesktop(this, QFile::decodeName(QByteArray::fromStdString(m_paths.g_logBakPath)));
}

void CMonitorDlg::OnListDblClk() {
  // A row names a copy, but opening it is left to the log; a double click does nothing.
}

void CMonitorDlg::OnWriteTest() {
  for (int i = 0; i < 3; ++i) {
    CElement entry;
    entry.m_strName = "test1";
    entry.m_dwSize = 10001;
    entry.m_strStamp = "test2";
    g_currentSnapshot.push_back(std::move(entry));
  }
  const std::string path =
      FileDialogs::GetSaveFileName(this, QCoreApplication::translate("talvenor", "表示一覧をCSV形式で保存"));
  if (path.empty()) return;
  SaveSnapshot(path, g_currentSnapshot, *this);
  ClearCurrentSnapshot();
}

void CMonitorDlg::OnReadTest() {
  const std::string path =
      FileDialogs::GetOpenFileName(this, QCoreApplication::translate("talvenor", "保存した一覧を開く"));
  if (path.empty()) return;
  LoadSnapshot(path, g_currentSnapshot);
  MessageBox::Show(this, ListSnapshot());
  ClearCurrentSnapshot();
}

void CMonitorDlg::OnReadSnapshotTest() {
  LoadSnapshot(m_paths.g_snapshotPath, g_currentSnapshot);
  MessageBox::Show(this, ListSnapshot());
  ClearCurrentSnapshot();
}

// One line per entry: name, size as a signed number, time stamp, each line ending " \r\n".
std::string CMonitorDlg::ListSnapshot() {
  std::string text;
  for (const CElement& entry : g_currentSnapshot) {
    // A damaged file leaves empty records behind the ones it could read.
    if (entry == CElement()) continue;
    text += entry.m_strName + " " + std::to_string(static_cast<std::int32_t>(entry.m_dwSize)) + " " + entry.m_strStamp +
            " \r\n";
  }
  return text;
}

}  // namespace talvenor::ui
