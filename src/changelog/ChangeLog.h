#pragma once
// The change log "log.csv" and the rows of the change list.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/AppPaths.h"
#include "core/Settings.h"
#include "core/UiPort.h"
#include "platform/LockedFile.h"
#include "platform/TextFileMark.h"

namespace talvenor {

class ChangeLog {
 public:
  // The log is paths.g_logPath, its viewing copy paths.g_logBakPath; the limit settings.LOGSZ.
  // A log the program starts, and every log its size rule rewrites, begins with fileMark.
  ChangeLog(const AppPaths& paths, const Settings& settings, UiPort& ui,
            std::string_view fileMark = platform::kTextFileMark);
  ~ChangeLog();

  void LogChange(const std::string& name, const std::string& folder, const std::string& destination);
  void LogPassMarker(const std::string& generationName, const std::string& word);
  void LimitListRows();
  void AppendLogLine(const std::string& path, const std::string& line);
  void ControlLogSize(const std::string& path);
  void CopyLogForViewing(const std::string& path);

  // A pass begins: a log found above its limit (a crash came before its trim was written, or
  // the limit was lowered) is brought down to the limit in one rewrite, oldest whole lines first.
  void BeginPass();
  // A pass ends: the file holds exactly what the one-line-per-line rule keeps.
  void EndPass();

  // Quit closes the log before the settings are written.
  void Close();
  bool IsOpen() const;
  // Opens the existing log, else creates it; ends the program when neither works.
  void OpenOrTerminate(const std::string& path);

  static constexpr int m_nMaxListRows = 500;

 private:
  // Moves the cut past the oldest line still in the log.
  void CutOldestLine(std::int64_t size);
  // Rewrites the log without the cut lines: temporary beside it, fsync, rename over it.
  bool WriteTrimmed(const std::string& path, bool reportFailure);
  void ForgetCut();
  std::int64_t Limit() const;

  const AppPaths& m_paths;
  const Settings& m_settings;
  UiPort& m_ui;
  const std::string m_mark;
  platform::LockedFile m_log;
  // Bytes at the start of the file that the size rule has already cut; written away only
  // now and then, so the cost per line does not grow with the log.
  std::int64_t m_cut = 0;
  std::string m_head;  // file bytes from m_headStart on, read to find line ends
  std::int64_t m_headStart = 0;
  bool m_writeFailing = false;  // the disk-full message is shown once per run of failures
};

}  // namespace talvenor
