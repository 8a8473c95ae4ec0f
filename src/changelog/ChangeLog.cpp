#include "changelog/ChangeLog.h"

#include "changelog/LogLineText.h"
#include "core/Messages.h"
#include "platform/FileSystem.h"

namespace talvenor {

ChangeLog::ChangeLog(const AppPaths& paths, const Settings& settings, UiPort& ui, std::string_view fileMark)
    : m_paths(paths), m_settings(settings), m_ui(ui), m_mark(fileMark) {}

ChangeLog::~ChangeLog() { Close(); }

void ChangeLog::LogChange(const std::string& name, const std::string& folder, const std::string& destination) {
  m_ui.InsertRow(0, name, folder + name, destination);
  LimitListRows();
  AppendLogLine(m_paths.g_logPath, name + "," + folder + name + "," + destination);
}

void ChangeLog::LogPassMarker(const std::string& generationName, const std::string& word) {
  const std::string marker = "<" + generationName + ">";
  m_ui.InsertRow(0, word, marker, "");
  LimitListRows();
  AppendLogLine(m_paths.g_logPath, marker);
}

void ChangeLog::LimitListRows() {
  while (m_ui.RowCount() > m_nMaxListRows) m_ui.DeleteRow(m_ui.RowCount() - 1);
}

void ChangeLog::OpenOrTerminate(const std::string& path) {
  ForgetCut();
  if (m_log.Open(path, platform::LockedFile::Mode::ReadWriteExisting) ||
      m_log.Open(path, platform::LockedFile::Mode::ReadWriteCreate)) {
    return;
  }
  m_ui.ShowMessage(msg::Format(msg::kLogCannotOpen, {path}), MessageIcon::Stop);
  m_ui.Terminate(1);
}

void ChangeLog::AppendLogLine(const std::string& path, const std::string& line) {
  // A log removed or replaced behind the program's back: the lines go to the file that now
  // bears the name, never into a file nobody can see any more.
  if (m_log.IsOpen() && !m_log.IsStillAt(path)) {
    ForgetCut();
    m_log.Close();
  }
  if (!platform::PathExists(path)) {
    ForgetCut();
    m_log.Open(path, platform::LockedFile::Mode::ReadWriteCreate);
  }
  if (!m_log.IsOpen()) OpenOrTerminate(path);

  const std::string record = EscapeLineBreaks(line);
  const std::int64_t before = m_log.Size();
  // The mark goes in with the first line, in the same write, so a log never holds it alone.
  if (!m_log.Append((before == 0 ? m_mark : std::string()) + record + "\r\n")) {
    // Never leave half a record behind: the next line would run into it.
    if (before >= 0) platform::TruncateTo(m_log.Descriptor(), before);
    if (!m_writeFailing) m_ui.ShowMessage(msg::Format(msg::kDiskFullFormat, {path}), MessageIcon::Stop);
    m_writeFailing = true;
    return;
  }
  m_writeFailing = false;
  m_ui.LogLineWritten(record);
  ControlLogSize(path);
}

void ChangeLog::Close() {
  if (!m_log.IsOpen()) return;
  // Leave the file as the size rule has it. Should that fail, it keeps a few older lines.
  if (m_cut > 0) WriteTrimmed(m_paths.g_logPath, false);
  m_log.Close();
  ForgetCut();
}

bool ChangeLog::IsOpen() const { return m_log.IsOpen(); }

}  // namespace talvenor
