#pragma once
// The change log "log.csv" and the rows of the change list.
#include <string>

#include "core/AppPaths.h"
#include "core/Settings.h"
#include "core/UiPort.h"

namespace talvenor {

class ChangeLog {
 public:
  // The log is paths.g_logPath, its viewing copy paths.g_logBakPath; the limit settings.LOGSZ.
  ChangeLog(const AppPaths& paths, const Settings& settings, UiPort& ui);
  ~ChangeLog();

  void LogChange(const std::string& name, const std::string& folder, const std::string& destination);
  void LogPassMarker(const std::string& generationName, const std::string& word);
  void LimitListRows();
  void AppendLogLine(const std::string& path, const std::string& line);
  void ControlLogSize(const std::string& path);
  void CopyLogForViewing(const std::string& path);

  // Quit closes the log before the settings are written.
  void Close();
  bool IsOpen() const;

  static constexpr int m_nMaxListRows = 500;

 private:
  const AppPaths& m_paths;
  const Settings& m_settings;
  UiPort& m_ui;
};

}  // namespace talvenor
