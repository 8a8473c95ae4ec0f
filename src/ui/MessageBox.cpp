#include "ui/MessageBox.h"

#include <QMessageBox>
#include <QPointer>
#include <deque>

namespace talvenor::ui {
namespace {

struct Seam {
  QString caption = QStringLiteral("talvenor");
  bool answerWithoutShowing = false;
  std::deque<MessageBox::Answer> answers;
  std::vector<std::string> shown;
  QPointer<QWidget> front;
};

Seam& TheSeam() {
  static Seam seam;
  return seam;
}

QWidget* ShownOrNull(QWidget* window) { return window && window->isVisible() ? window : nullptr; }

QMessageBox::Icon ToQt(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

MessageBox::Answer Run(QWidget* parent, const std::string& text, MessageIcon icon, bool withCancel) {
  Seam& seam = TheSeam();
  if (seam.answerWithoutShowing) {
    seam.shown.push_back(text);
    if (seam.answers.empty()) return MessageBox::Answer::Ok;
    const MessageBox::Answer answer = seam.answers.front();
    seam.answers.pop_front();
    return answer;
  }
  auto box = MessageBox::Build(parent, text, icon, withCancel);
  return box->exec() == QMessageBox::Ok ? MessageBox::Answer::Ok : MessageBox::Answer::Cancel;
}

}  // namespace

void MessageBox::SetCaption(const QString& caption) { TheSeam().caption = caption; }
QString MessageBox::Caption() { return TheSeam().caption; }

void MessageBox::Show(QWidget* parent, const std::string& text, MessageIcon icon) { Run(parent, text, icon, false); }

bool MessageBox::AskOkCancel(QWidget* parent, const std::string& text, MessageIcon icon) {
  return Run(parent, text, icon, true) == Answer::Ok;
}

void MessageBox::ShowWithoutWaiting(QWidget* parent, const std::string& text, MessageIcon icon) {
  Seam& seam = TheSeam();
  if (seam.answerWithoutShowing) {
    seam.shown.push_back(text);
    return;
  }
  QMessageBox* box = Build(parent, text, icon, false).release();
  if (box->parentWidget() && box->parentWidget() == seam.front) {
    // It outlives the window in front, so it keeps its own owner and stays on top by itself.
    box->setParent(ShownOrNull(parent), box->windowFlags() | Qt::WindowStaysOnTopHint);
  }
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

std::unique_ptr<QMessageBox> MessageBox::Build(QWidget* parent, const std::string& text, MessageIcon icon,
                                               bool withCancel) {
  auto buttons = withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::StandardButtons(QMessageBox::Ok);
  // A hidden owner (the window sits in the notification area) would hide the box with it, and
  // a window in front would cover it: such a window owns the box, which the desktop then keeps above it.
  QWidget* owner = ShownOrNull(TheSeam().front);
  if (!owner) owner = ShownOrNull(parent);
  auto box = std::make_unique<QMessageBox>(ToQt(icon), Caption(), QString::fromUtf8(text), buttons, owner);
  box->setTextFormat(Qt::PlainText);
  box->setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
  return box;
}

void MessageBox::SetWindowInFront(QWidget* window) { TheSeam().front = window; }

void MessageBox::SetNextAnswer(Answer answer) {
  TheSeam().answerWithoutShowing = true;
  TheSeam().answers.push_back(answer);
}

void MessageBox::AnswerWithoutShowing(bool on) {
  TheSeam().answerWithoutShowing = on;
  if (!on) TheSeam().answers.clear();
}

std::vector<std::string> MessageBox::TakeShownTexts() { return std::exchange(TheSeam().shown, {}); }

}  // namespace talvenor::ui
