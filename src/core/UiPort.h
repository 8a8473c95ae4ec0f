#pragma once
// The engine's only way to the user. The Qt main window implements it with message boxes,
// the change list and the progress window; the headless mode with the terminal; tests with
// a recording implementation.
#include <string>

namespace talvenor {

enum class MessageIcon { None, Warning, Stop };

class UiPort {
 public:
  virtual ~UiPort() = default;

  // A modal message with only an OK button, captioned with the application's name.
  virtual void ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::None) = 0;
  // The same, about a folder: the headless mode names it, the window shows the text alone.
  virtual void ShowFolderMessage(const std::string& text, const std::string& /*folder*/,
                                 MessageIcon icon = MessageIcon::None) {
    ShowMessage(text, icon);
  }
  // A modal question with OK and Cancel; true for OK.
  virtual bool AskOkCancel(const std::string& text, MessageIcon icon = MessageIcon::None) = 0;

  // Tells the user something without stopping the monitor and without waiting for anyone:
  // nobody may be at the desk. The headless mode writes a line to standard error, the window
  // shows a balloon of its notification-area icon.
  virtual void ShowNotice(const std::string& text) = 0;

  // The change list: rows of three texts.
  virtual void InsertRow(int index, const std::string& name, const std::string& path,
                         const std::string& destination) = 0;
  virtual void DeleteRow(int index) = 0;
  virtual int RowCount() const = 0;

  // The modal progress window of long checks.
  virtual void ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) = 0;
  virtual void ProgressStep() = 0;
  // Lets waiting input through; with cancelOnEsc the Esc key counts as Cancel.
  virtual void ProgressPump(bool cancelOnEsc) = 0;
  // The same while the work waits for another thread, between its units: the window stays
  // drawn and Esc or Cancel is taken during the wait.
  virtual void ProgressWait() { ProgressPump(true); }
  virtual void ProgressReset() = 0;
  virtual bool ProgressCancelRequested() const = 0;
  virtual void ProgressClose() = 0;

  // Lets waiting input through while a pass works, so that the window answers and can ask the
  // pass to end; a pass calls it now and then between files and while it lists folders. The
  // headless mode has no input to let through.
  virtual void LetInputThrough() {}
  // Asked now and then by a running pass: true ends it after the file in progress, as Stop
  // does (the headless mode when a signal to end waits).
  virtual bool PassShouldEnd() { return false; }

  // A line was appended to the change log (the headless mode echoes it).
  virtual void LogLineWritten(const std::string& /*line*/) {}

  // Ends the program at once with this status, writing no settings. Never returns.
  [[noreturn]] virtual void Terminate(int status) = 0;
};

}  // namespace talvenor
