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
  // Asks before replacing an existing file.
  static std::string GetSaveFileName(QWidget* parent, const QString& title);
  static std::string GetOpenFileName(QWidget* parent, const QString& title);

  // From now on no dialog is shown: each takes the next queued path ("" cancels; cancel when
  // none is queued). Requests are recorded as "folder:<initial>", "save:<title>", "open:<title>".
  static void SetNextAnswer(const std::string& path);
  static void AnswerWithoutShowing(bool on);
  static std::vector<std::string> TakeRequests();
};

}  // namespace talvenor::ui
