// The engine's way to the user (UiPort) and what the monitoring session asks of its window.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ui/CMonitorDlg.h"
#include "ui/CProgressWnd.h"
#include "ui/MessageBox.h"

namespace talvenor::ui {

void CMonitorDlg::ShowMessage(const std::string& text, MessageIcon icon) { MessageBox::Show(this, text, icon); }

bool CMonitorDlg::AskOkCancel(const std::string& text, MessageIcon icon) {
  return MessageBox::AskOkCancel(this, text, icon);
}

void CMonitorDlg::InsertRow(int index, const std::string& name, const std::string& path,
                            const std::string& destination) {
  auto* row = new QTreeWidgetItem(QStringList{QFile::decodeName(QByteArray::fromStdString(name)),
                                              QFile::decodeName(QByteArray::fromStdString(path)),
                                              QFile::decodeName(QByteArray::fromStdString(destination))});
  // The path's own bytes, for the versions of the row's file: a name need not be valid UTF-8.
  row->setData(1, Qt::UserRole, QByteArray::fromStdString(path));
  m_list->insertTopLevelItem(std::clamp(index, 0, m_list->topLevelItemCount()), row);
}

void CMonitorDlg::DeleteRow(int index) { delete m_list->takeTopLevelItem(index); }

int CMonitorDlg::RowCount() const { return m_list->topLevelItemCount(); }

void CMonitorDlg::ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) {
  m_progress.reset();
  m_progress = std::make_unique<CProgressWnd>(this, title, false, &m_store);
  // The window exists already, so this title is not used.
  m_progress->EnterModal("Progress", false);
  m_progress->SetRange(lower, upper, step);
  m_progress->SetText("%s", text.c_str());
}

void CMonitorDlg::ProgressStep() {
  if (m_progress) m_progress->Step();
}

void CMonitorDlg::ProgressPump(bool cancelOnEsc) {
  if (m_progress) m_progress->PumpMessages(cancelOnEsc);
}

void CMonitorDlg::ProgressReset() {
  if (m_progress) m_progress->Reset();
}

bool CMonitorDlg::ProgressCancelRequested() const { return m_progress && m_progress->m_bCancelRequested; }

void CMonitorDlg::ProgressClose() { m_progress.reset(); }

void CMonitorDlg::LetInputThrough() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void CMonitorDlg::Terminate(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

void CMonitorDlg::StartTimer(int milliseconds) { m_timer.start(milliseconds); }

void CMonitorDlg::KillTimer() { m_timer.stop(); }

void CMonitorDlg::StartSaveTimer(int milliseconds) { m_saveTimer.start(milliseconds); }

void CMonitorDlg::KillSaveTimer() { m_saveTimer.stop(); }

}  // namespace talvenor::ui
