#pragma once
// The pattern file ".talvenorignore" at the top of the watched folder: read at Start and before
// every pass, its rules rebuilt only when its bytes changed. The rules are read by the scan's
// threads and the watcher thread while a pass may read the file anew.
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "core/UiPort.h"
#include "detect/IgnoreRules.h"

namespace talvenor {

class IgnoreFile {
 public:
  static constexpr const char* kName = ".talvenorignore";

  explicit IgnoreFile(UiPort& ui) : m_ui(ui), m_current(std::make_shared<const Current>()) {}

  // Reads the file of the watched folder (its path ending in "/"); true when its patterns
  // differ from the ones read before. A line that cannot be read is shown once in a run.
  bool Refresh(const std::string& watchedFolder);
  std::shared_ptr<const IgnoreRules> Rules() const;
  // Whether an entry (its absolute path; a folder's with or without its trailing "/") lies
  // in what is left out.
  bool Skips(const std::string& path, bool folder) const;

 private:
  UiPort& m_ui;
  std::optional<std::string> m_text;  // nothing while there is no file to read
  bool m_unreadableShown = false;
  std::set<std::string> m_badLinesShown;
  // The rules and the folder they belong to, replaced whole when the file is read anew.
  struct Current {
    IgnoreRules rules;
    std::string folder;
  };
  mutable std::mutex m_mutex;
  std::shared_ptr<const Current> m_current;
};

}  // namespace talvenor
