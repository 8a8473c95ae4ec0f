#include "support/RecordingUi.h"

namespace talvenor::test {

void RecordingUi::ShowMessage(const std::string& text, MessageIcon) {
  messages.push_back(text);
  calls.push_back("message:" + text);
}

bool RecordingUi::AskOkCancel(const std::string& text, MessageIcon) {
  messages.push_back(text);
  calls.push_back("ask:" + text);
  if (answers.empty()) return true;
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

void RecordingUi::ShowNotice(const std::string& text) {
  notices.push_back(text);
  calls.push_back("notice:" + text);
}

void RecordingUi::InsertRow(int index, const std::string& name, const std::string& path,
                            const std::string& destination) {
  rows.insert(rows.begin() + index, Row{name, path, destination});
  calls.push_back("insert:" + name);
}

void RecordingUi::DeleteRow(int index) {
  rows.erase(rows.begin() + index);
  calls.push_back("delete:" + std::to_string(index));
}

void RecordingUi::ProgressOpen(const std::string& title, const std::string&, int, int, int) {
  progressOpen = true;
  cancelRequested = false;
  calls.push_back("progress-open:" + title);
}

void RecordingUi::ProgressStep() { ++progressSteps; }

void RecordingUi::ProgressPump(bool cancelOnEsc) {
  if (cancelAfterPumps == 0 && cancelOnEsc) cancelRequested = true;
  if (cancelAfterPumps >= 0) --cancelAfterPumps;
}

// Counted apart from the pumps: how often a walk waits depends on its threads.
void RecordingUi::ProgressWait() {
  ++progressWaits;
  if (cancelAtWait == 0) cancelRequested = true;
  if (cancelAtWait >= 0) --cancelAtWait;
}

void RecordingUi::ProgressReset() {
  ++progressResets;
  cancelRequested = false;
}

void RecordingUi::ProgressClose() {
  progressOpen = false;
  calls.push_back("progress-close");
}

}  // namespace talvenor::test
