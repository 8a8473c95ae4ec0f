#include "app/TranslatedUi.h"

#include <cstdlib>

#include "app/EngineText.h"

namespace talvenor {

void TranslatedUi::ShowMessage(const std::string& text, MessageIcon icon) {
  m_inner.ShowMessage(TranslateEngineText(text), icon);
}

void TranslatedUi::ShowFolderMessage(const std::string& text, const std::string& folder, MessageIcon icon) {
  m_inner.ShowFolderMessage(TranslateEngineText(text), folder, icon);
}

bool TranslatedUi::AskOkCancel(const std::string& text, MessageIcon icon) {
  return m_inner.AskOkCancel(TranslateEngineText(text), icon);
}

void TranslatedUi::ShowNotice(const std::string& text) { m_inner.ShowNotice(TranslateEngineText(text)); }

void TranslatedUi::ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) {
  m_inner.ProgressOpen(TranslateEngineText(title), TranslateEngineText(text), lower, upper, step);
}

void TranslatedUi::Terminate(int status) {
  m_inner.Terminate(status);
  std::abort();  // never reached: the port it wraps ends the program
}

}  // namespace talvenor
