#pragma once
// The folder picker and the file dialogs. Paths come back as file-system bytes, empty when the
// user cancels. Tests queue the answers instead of clicking and read which dialogs were asked for.
#include <QCoreApplication>
#include <QString>
#include <string>
#include <vector>

class QWidget;

namespace talvenor::ui {

class FileDialogs {
 public:
  static constexpr const char* kFolderTitle = QT_TRANSLATE_NOOP("talvenor", "フォルダを選択してください");

  // Opens at initialFolder (selected when it exists).
  static std::string BrowseForFolder(QWidget* parent, const std::string& initialFolder);
  // Asks before replacing an existing file, unless the caller asks itself.
  static std::string GetSaveFileName(QWidget* parent, const QString& title, const std::string& initial = {},
                                     bool confirmOverwrite = true);
  static std::string GetOpenFileName(QWidget* parent, const QString& title);
  // Any file name, also of a file that no longer exists, starting in initialFolder.
  static std::string PickAnyFile(QWidget* parent, const QString& title, const std::string& initialFolder);

  // From now on no dialog is shown: each takes the next queued path ("" cancels; cancel when
  // none is queued). Requests are recorded as "folder:<initial>", "save:<title>", "open:<title>",
  // "file:<title>".
  static void SetNextAnswer(const std::string& path);
  static void AnswerWithoutShowing(bool on);
  static std::vector<std::string> TakeRequests();
};

}  // namespace talvenor::ui
