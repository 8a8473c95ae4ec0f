#pragma once
// The versions of one file: every copy the backup folder holds of it, newest first, with the
// time of its pass and its size. A copy can be opened, shown in its folder, or saved where the
// user chooses; the program itself never puts one back.
#include <QDialog>
#include <string>
#include <vector>

#include "backup/VersionList.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace talvenor::ui {

class CVersionsDlg : public QDialog {
  Q_OBJECT

 public:
  // source: the file's full path; backupDir and logPath: where its copies are looked for.
  CVersionsDlg(QWidget* parent, std::string source, std::string backupDir, std::string logPath);

  // Looks for the copies again.
  void Refresh();
  const std::vector<FoundVersion>& Versions() const { return m_versions; }
  QTreeWidget* List() const { return m_list; }

  // With the desktop's program for the file.
  void OnOpen();
  void OnShowInFolder();
  // Never over an existing file without asking; the saved file keeps the copy's time.
  void OnSaveCopyAs();

 private:
  const FoundVersion* Selected() const;
  void EnableButtons();

  std::string m_source, m_backupDir, m_logPath;
  std::vector<FoundVersion> m_versions;
  QLabel* m_status = nullptr;
  QTreeWidget* m_list = nullptr;
  std::vector<QPushButton*> m_copyButtons;  // need a chosen copy
};

}  // namespace talvenor::ui
