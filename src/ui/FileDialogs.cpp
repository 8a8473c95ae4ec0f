#include "ui/FileDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <deque>
#include <optional>

#include "ui/UiText.h"

namespace talvenor::ui {
namespace {

struct Seam {
  bool answerWithoutShowing = false;
  std::deque<std::string> answers;
  std::vector<std::string> requests;
};

Seam& TheSeam() {
  static Seam seam;
  return seam;
}

// The queued answer when tests answer, nothing when a real dialog must be shown.
std::optional<std::string> Answered(std::string request) {
  Seam& seam = TheSeam();
  if (!seam.answerWithoutShowing) return std::nullopt;
  seam.requests.push_back(std::move(request));
  if (seam.answers.empty()) return std::string();
  std::string answer = std::move(seam.answers.front());
  seam.answers.pop_front();
  return answer;
}

std::string Bytes(const QString& path) {
  return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

}  // namespace

std::string FileDialogs::BrowseForFolder(QWidget* parent, const std::string& initialFolder) {
  if (auto answer = Answered("folder:" + initialFolder)) return *answer;
  const QString initial = QFile::decodeName(QByteArray::fromStdString(initialFolder));
  return Bytes(QFileDialog::getExistingDirectory(parent, Tr(kFolderTitle), initial));
}

std::string FileDialogs::GetSaveFileName(QWidget* parent, const QString& title, const std::string& initial,
                                         bool confirmOverwrite) {
  if (auto answer = Answered("save:" + title.toStdString())) return *answer;
  const QFileDialog::Options options = confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
  return Bytes(QFileDialog::getSaveFileName(parent, title, QFile::decodeName(QByteArray::fromStdString(initial)),
                                            QString(), nullptr, options));
}

std::string FileDialogs::GetOpenFileName(QWidget* parent, const QString& title) {
  if (auto answer = Answered("open:" + title.toStdString())) return *answer;
  return Bytes(QFileDialog::getOpenFileName(parent, title));
}

std::string FileDialogs::PickAnyFile(QWidget* parent, const QString& title, const std::string& initialFolder) {
  if (auto answer = Answered("file:" + title.toStdString())) return *answer;
  QFileDialog dialog(parent, title, QFile::decodeName(QByteArray::fromStdString(initialFolder)));
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? Bytes(dialog.selectedFiles().front())
                                                                                 : std::string();
}

void FileDialogs::SetNextAnswer(const std::string& path) {
  TheSeam().answerWithoutShowing = true;
  TheSeam().answers.push_back(path);
}

void FileDialogs::AnswerWithoutShowing(bool on) {
  TheSeam().answerWithoutShowing = on;
  if (!on) TheSeam().answers.clear();
}

std::vector<std::string> FileDialogs::TakeRequests() { return std::exchange(TheSeam().requests, {}); }

}  // namespace talvenor::ui
