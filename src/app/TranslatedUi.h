#pragma once
// The engine's texts arrive in Japanese: this port shows them in the language in use and
// passes everything on to the port it wraps, so no face translates them itself.
#include "core/UiPort.h"

namespace talvenor {

class TranslatedUi : public UiPort {
 public:
  explicit TranslatedUi(UiPort& inner) : m_inner(inner) {}

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void ShowFolderMessage(const std::string& text, const std::string& folder, MessageIcon icon) override;
  bool AskOkCancel(const std::string& text, MessageIcon icon) override;
  void ShowNotice(const std::string& text) override;
  void InsertRow(int index, const std::string& name, const std::string& path, const std::string& destination) override {
    m_inner.InsertRow(index, name, path, destination);
  }
  void DeleteRow(int index) override { m_inner.DeleteRow(index); }
  int RowCount() const override { return m_inner.RowCount(); }
  void ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) override;
  void ProgressStep() override { m_inner.ProgressStep(); }
  void ProgressPump(bool cancelOnEsc) override { m_inner.ProgressPump(cancelOnEsc); }
  void ProgressWait() override { m_inner.ProgressWait(); }
  void ProgressReset() override { m_inner.ProgressReset(); }
  bool ProgressCancelRequested() const override { return m_inner.ProgressCancelRequested(); }
  void ProgressClose() override { m_inner.ProgressClose(); }
  void LetInputThrough() override { m_inner.LetInputThrough(); }
  bool PassShouldEnd() override { return m_inner.PassShouldEnd(); }
  void LogLineWritten(const std::string& line) override { m_inner.LogLineWritten(line); }
  [[noreturn]] void Terminate(int status) override;

 private:
  UiPort& m_inner;
};

}  // namespace talvenor
