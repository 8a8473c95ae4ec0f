#pragma once
// The user-interface port of the headless mode: messages go to standard error after
// "talvenor: ", questions are printed and answered OK, log lines are echoed to standard output.
// Texts are printed as given: the headless run wraps it in TranslatedUi for the engine's.
#include <cstdio>
#include <string>

#include "core/UiPort.h"

namespace talvenor {

class TerminalUi : public UiPort {
 public:
  explicit TerminalUi(std::FILE* out = stdout, std::FILE* err = stderr) : m_out(out), m_err(err) {}

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  // "talvenor: <folder>: <text>" on one line.
  void ShowFolderMessage(const std::string& text, const std::string& folder, MessageIcon icon) override;
  // Nobody is there to answer: the question is printed and taken as OK.
  bool AskOkCancel(const std::string& text, MessageIcon icon) override;

  void ShowNotice(const std::string& text) override;

  // The change list exists only as a row count, so the list limit behaves as in a window.
  void InsertRow(int index, const std::string& name, const std::string& path, const std::string& destination) override;
  void DeleteRow(int index) override;
  int RowCount() const override { return m_rows; }

  // A terminal walk cannot be cancelled.
  void ProgressOpen(const std::string&, const std::string&, int, int, int) override {}
  void ProgressStep() override {}
  void ProgressPump(bool) override {}
  void ProgressReset() override {}
  bool ProgressCancelRequested() const override { return false; }
  void ProgressClose() override {}

  // SIGINT, SIGTERM or SIGHUP waiting: the pass ends after the file in progress.
  bool PassShouldEnd() override;
  void LogLineWritten(const std::string& line) override;
  [[noreturn]] void Terminate(int status) override;

 private:
  std::FILE* m_out;
  std::FILE* m_err;
  int m_rows = 0;
};

}  // namespace talvenor
