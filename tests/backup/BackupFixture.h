#pragma once
// A backup store on a real temporary backup folder, with the clock held at a chosen second.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "backup/BackupStore.h"
#include "backup/GenerationOrder.h"
#include "backup/GenerationRecord.h"
#include "platform/FileTime.h"
#include "support/MockClock.h"
#include "support/RecordingUi.h"
#include "support/TempDir.h"

namespace talvenor::test {

class BackupFixture : public ::testing::Test {
 protected:
  BackupFixture() {
    settings.DIR2 = tmp.MakeFolder("bk");
    settings.BAKSZ = 100;
    SetClock(2012, 9, 17, 14, 30, 5);
  }
  void SetClock(int y, int mo, int d, int h, int mi, int s) {
    platform::SystemTime st;
    st.year = y, st.month = mo, st.day = d, st.hour = h, st.minute = mi, st.second = s;
    clock.SetLocalNow(st);
  }

  // Names directly inside a folder, but for the program's own files (a generation's record, the
  // order of generations).
  static std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    names.erase(GenerationRecord::kFileName);
    names.erase(GenerationOrder::kFileName);
    return names;
  }

  // One copy; the names it gives are left in destination and generation.
  int Backup(const std::string& folder, const std::string& name, int continuing) {
    return store.BackupFile(folder, name, continuing, destination, generation);
  }
  // One pass that copies the given file and returns the generation name.
  std::string Pass(const std::string& source) {
    const auto slash = source.find_last_of('/');
    Backup(source.substr(0, slash + 1), source.substr(slash + 1), 0);
    return generation;
  }

  MockClock clock;
  TempDir tmp;
  Settings settings;
  RecordingUi ui;
  BackupStore store{settings, ui};
  std::string destination, generation;
};

}  // namespace talvenor::test
