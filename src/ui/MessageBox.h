#pragma once
// Message boxes of the program: OK, or OK and Cancel, captioned with the application's name.
// Tests answer them through SetNextAnswer instead of clicking, so nothing waits for a person.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "core/UiPort.h"

class QMessageBox;
class QWidget;

namespace talvenor::ui {

class MessageBox {
 public:
  enum class Answer { Ok, Cancel };

  static void SetCaption(const QString& caption);
  static QString Caption();

  static void Show(QWidget* parent, const std::string& text, MessageIcon icon = MessageIcon::None);
  // True for OK.
  static bool AskOkCancel(QWidget* parent, const std::string& text, MessageIcon icon = MessageIcon::None);

  // A box that opens and returns at once; it stays until the user closes it.
  static void ShowWithoutWaiting(QWidget* parent, const std::string& text, MessageIcon icon);

  // While a window that stays on top is open (the progress window of Start), every box opens
  // over that window, with the focus, instead of hidden under it. Null: none is open.
  static void SetWindowInFront(QWidget* window);

  // The box as it would be shown, for pictures of the windows.
  static std::unique_ptr<QMessageBox> Build(QWidget* parent, const std::string& text, MessageIcon icon,
                                            bool withCancel);

  // From now on no box is shown: each one takes the next queued answer (OK when none is queued)
  // and its text is recorded.
  static void SetNextAnswer(Answer answer);
  static void AnswerWithoutShowing(bool on);
  static std::vector<std::string> TakeShownTexts();
};

}  // namespace talvenor::ui
