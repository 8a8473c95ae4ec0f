#include "app/TerminalUi.h"

#include <cstdlib>

#include "platform/TerminationSignals.h"

namespace talvenor {
namespace {

void PrintLine(std::FILE* stream, const std::string& prefix, const std::string& text) {
  std::string line = prefix + text;
  if (line.empty() || line.back() != '\n') line += '\n';
  // Unchecked: a reader that went away costs the echo only, never the monitoring.
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
}

}  // namespace

void TerminalUi::ShowMessage(const std::string& text, MessageIcon) { PrintLine(m_err, "talvenor: ", text); }

void TerminalUi::ShowFolderMessage(const std::string& text, const std::string& folder, MessageIcon) {
  std::string line = text;
  for (char& c : line) c = c == '\n' ? ' ' : c;
  PrintLine(m_err, "talvenor: ", folder + ": " + line);
}

void TerminalUi::ShowNotice(const std::string& text) { PrintLine(m_err, "talvenor: ", text); }

bool TerminalUi::AskOkCancel(const std::string& text, MessageIcon) {
  PrintLine(m_err, "talvenor: ", text);
  return true;
}

void TerminalUi::InsertRow(int, const std::string&, const std::string&, const std::string&) { ++m_rows; }

void TerminalUi::DeleteRow(int) {
  if (m_rows > 0) --m_rows;
}

bool TerminalUi::PassShouldEnd() { return platform::TerminationSignalPending(); }

void TerminalUi::LogLineWritten(const std::string& line) {
  // The log's own line end ("\r\n" or "\n") is not the terminal's.
  std::string text = line;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  PrintLine(m_out, "", text);
}

void TerminalUi::Terminate(int status) {
  std::fflush(m_out);
  std::fflush(m_err);
  // No destructors: the watcher thread may still be running, and nothing is to be saved.
  std::_Exit(status);
}

}  // namespace talvenor
