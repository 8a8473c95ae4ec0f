#include <algorithm>
#include <utility>

#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

namespace talvenor {
namespace {

constexpr std::size_t kHeadChunk = 64 * 1024;
// Cut lines are written away once they make up a quarter of the log, and at least this much:
// every byte is then rewritten a few times at most, however large the log.
constexpr std::int64_t kMinRewriteBytes = 64 * 1024;

}  // namespace

void ChangeLog::ForgetCut() {
  m_cut = 0;
  m_head.clear();
  m_headStart = 0;
}

void ChangeLog::CutOldestLine(std::int64_t size) {
  // The oldest line runs to the next line feed; a last line without one runs to the end.
  if (m_cut < m_headStart || m_cut > m_headStart + static_cast<std::int64_t>(m_head.size())) {
    m_head.clear();
    m_headStart = m_cut;
  }
  // Only the chunk just read is kept and searched, so a line of any length costs one read
  // of it and no more memory than a chunk.
  auto from = static_cast<std::size_t>(m_cut - m_headStart);
  for (;;) {
    const auto lineFeed = m_head.find('\n', from);
    if (lineFeed != std::string::npos) {
      m_cut = m_headStart + static_cast<std::int64_t>(lineFeed) + 1;
      return;
    }
    const std::int64_t next = m_headStart + static_cast<std::int64_t>(m_head.size());
    std::string more;
    // A read that fails cuts nothing: better a log a line too long than records lost.
    if (!platform::ReadAt(m_log.Descriptor(), next, kHeadChunk, more)) {
      m_head.clear();
      m_headStart = m_cut;
      return;
    }
    if (more.empty()) {
      m_cut = size;
      return;
    }
    m_head = std::move(more);
    m_headStart = next;
    from = 0;
  }
}

bool ChangeLog::WriteTrimmed(const std::string& path, bool reportFailure) {
  platform::LockedFile trimmed;
  // The trimmed log is locked before it takes the log's name, so the lock is never let go;
  // a crash leaves the whole older log or the whole trimmed one.
  // The cut always holds the oldest line, and with it the mark the file began with.
  if (platform::ReplaceWithTail(m_log, m_cut, path + ".tmp", path, trimmed, m_mark)) {
    m_log = std::move(trimmed);
    const auto consumed = static_cast<std::size_t>(std::clamp<std::int64_t>(m_cut - m_headStart, 0, m_head.size()));
    m_head.erase(0, consumed);
    m_headStart = static_cast<std::int64_t>(m_mark.size());
    m_cut = 0;
    return true;
  }
  if (reportFailure) {
    m_ui.ShowMessage(msg::kLogSizeControl);
    // Closed until the next line reopens it, as after any failed trim. The lines not yet
    // written away are still in the file, so nothing is lost.
    m_log.Close();
    ForgetCut();
  }
  return false;
}

std::int64_t ChangeLog::Limit() const { return static_cast<std::int64_t>(m_settings.LOGSZ) * 1024; }

void ChangeLog::ControlLogSize(const std::string& path) {
  if (!m_log.IsOpen()) return;
  const std::int64_t size = m_log.Size();
  if (size < 0 || size - m_cut <= Limit()) return;
  CutOldestLine(size);
  if (m_cut >= std::max(kMinRewriteBytes, (size - m_cut) / 4)) WriteTrimmed(path, true);
}

void ChangeLog::BeginPass() {
  const std::string& path = m_paths.g_logPath;
  if (m_log.IsOpen() && !m_log.IsStillAt(path)) {
    ForgetCut();
    m_log.Close();
  }
  if (!m_log.IsOpen()) {
    const auto status = platform::StatFile(path);
    if (!status || static_cast<std::int64_t>(status->size) <= Limit()) return;
    // Taken as the next line would take it. A log that cannot be opened for writing is left
    // as it is, never replaced behind its protection.
    if (!m_log.Open(path, platform::LockedFile::Mode::ReadWriteExisting)) return;
  }
  const std::int64_t size = m_log.Size();
  if (size < 0 || size - m_cut <= Limit()) return;
  // The first line that starts at or after size - limit: from there on the log fits.
  ForgetCut();
  m_cut = std::max<std::int64_t>(size - std::max<std::int64_t>(Limit(), 0) - 1, 0);
  CutOldestLine(size);
  WriteTrimmed(path, true);
}

void ChangeLog::EndPass() {
  if (m_log.IsOpen() && m_cut > 0) WriteTrimmed(m_paths.g_logPath, true);
}

void ChangeLog::CopyLogForViewing(const std::string& path) {
  // Written from the open log itself, as the size rule has it: the lock is never let go, so
  // no other program can take the log meanwhile.
  if (m_log.IsOpen()) {
    platform::CopyTailReplacing(m_log, m_cut, m_paths.g_logBakPath, m_cut > 0 ? m_mark : std::string());
    return;
  }
  // A missing log leaves an older viewing copy as it was.
  platform::LockedFile log;
  if (log.Open(path, platform::LockedFile::Mode::ReadExisting))
    platform::CopyTailReplacing(log, 0, m_paths.g_logBakPath);
}

}  // namespace talvenor
