#pragma once
// A change log in a real temporary folder, as the program keeps it in its current directory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "changelog/ChangeLog.h"
#include "core/AppPaths.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace talvenor::test {

class ChangeLogFixture : public ::testing::Test {
 protected:
  static std::string Lines(const std::vector<std::string>& lines, std::size_t from = 0) {
    std::string out;
    for (std::size_t i = from; i < lines.size(); ++i) out += lines[i] + "\r\n";
    return out;
  }
  std::string LogText() const { return ReadFile(paths.g_logPath); }
  // The log as the size rule has it, read through the viewing copy.
  std::string ViewedText() {
    log.CopyLogForViewing(paths.g_logPath);
    return ReadFile(paths.g_logBakPath);
  }

  TempDir tmp;
  AppPaths paths = AppPaths::InFolder(tmp.path());
  Settings settings;
  RecordingUi ui;
  ChangeLog log{paths, settings, ui};
};

}  // namespace talvenor::test
