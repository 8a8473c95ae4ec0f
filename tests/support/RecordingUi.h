#pragma once
// A user-interface port that records every call and answers questions from a queue.
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/UiPort.h"

namespace talvenor::test {

struct TerminatedForTest : std::runtime_error {
  explicit TerminatedForTest(int s) : std::runtime_error("terminated"), status(s) {}
  int status;
};

class RecordingUi : public UiPort {
 public:
  struct Row {
    std::string name, path, destination;
  };

  // Every call in order, e.g. "message:エラー", "ask:...", "insert:<END>", "progress-step".
  std::vector<std::string> calls;
  std::vector<std::string> messages;  // texts of ShowMessage and AskOkCancel, in order
  std::vector<std::string> notices;
  std::vector<Row> rows;  // the change list, top first
  std::vector<std::string> logLines;
  std::deque<bool> answers;   // next AskOkCancel answers; OK when empty
  int cancelAfterPumps = -1;  // set the cancel flag at that pump (0 = the next)
  bool cancelRequested = false;
  int cancelAtWait = -1;  // set the cancel flag at that wait for another thread (0 = the next)
  int progressWaits = 0;
  int progressSteps = 0;
  int progressResets = 0;
  bool progressOpen = false;

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, MessageIcon icon) override;
  void ShowNotice(const std::string& text) override;
  void InsertRow(int index, const std::string& name, const std::string& path, const std::string& destination) override;
  void DeleteRow(int index) override;
  int RowCount() const override { return static_cast<int>(rows.size()); }
  void ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) override;
  void ProgressStep() override;
  void ProgressPump(bool cancelOnEsc) override;
  void ProgressWait() override;
  void ProgressReset() override;
  bool ProgressCancelRequested() const override { return cancelRequested; }
  void ProgressClose() override;
  void LogLineWritten(const std::string& line) override { logLines.push_back(line); }
  [[noreturn]] void Terminate(int status) override { throw TerminatedForTest(status); }
};

}  // namespace talvenor::test
