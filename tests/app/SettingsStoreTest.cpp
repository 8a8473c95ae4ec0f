#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/MonitorApp.h"
#include "app/SettingsStore.h"
#include "support/TempDir.h"

using namespace talvenor;
using talvenor::test::ReadFile;
using talvenor::test::TempDir;

namespace {

// Each test gets its own configuration and runtime folders.
struct IsolatedHome {
  TempDir dir;
  IsolatedHome() {
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.MakeFolder("run").c_str(), 1);
  }
};

}  // namespace

TEST(SettingsStore, FreshProfileGivesTheDefaults) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  EXPECT_EQ(store.FilePath(), home.dir.path() + "/config/QUORVATH/Q7/talvenor.ini");
  const Settings s = store.Load();
  EXPECT_EQ(s.DIR1, "/");
  EXPECT_EQ(s.DIR2, "/");
  EXPECT_EQ(s.LEVEL, 1);
  EXPECT_EQ(s.LOGSZ, 100);
  EXPECT_EQ(s.BAKSZ, 100);
  EXPECT_EQ(s.FIRST, 0);
  EXPECT_EQ(s.RIGHT, 0);
  EXPECT_EQ(s.COLUMNX1, 0);
  EXPECT_EQ(store.LoadProgressPosition(), std::make_pair(-1, -1));
}

TEST(SettingsStore, RoundTripKeepsEveryKeyAndOutOfListValues) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  Settings s;
  s.DIR1 = "/home/user/データ";
  s.DIR2 = std::string("/backup/bad\xff name, with comma");
  s.LEFT = -20;
  s.TOP = 30;
  s.RIGHT = 700;
  s.BOTTOM = 480;
  s.LEVEL = 100;  // not one of the dialog's choices, kept as it is
  s.LOGSZ = 7;
  s.BAKSZ = 0;
  s.FIRST = 5;
  s.COLUMNX1 = 10;
  s.COLUMNX2 = 0;
  s.COLUMNX3 = -4;
  store.Save(s);
  store.SaveProgressPosition(12, 34);
  const Settings back = store.Load();
  EXPECT_EQ(back.DIR1, s.DIR1);
  EXPECT_EQ(back.DIR2, s.DIR2) << "bytes that are not UTF-8 survive";
  EXPECT_EQ(back.LEFT, -20);
  EXPECT_EQ(back.TOP, 30);
  EXPECT_EQ(back.RIGHT, 700);
  EXPECT_EQ(back.BOTTOM, 480);
  EXPECT_EQ(back.LEVEL, 100);
  EXPECT_EQ(back.LOGSZ, 7);
  EXPECT_EQ(back.BAKSZ, 0);
  EXPECT_EQ(back.FIRST, 5);
  EXPECT_EQ(back.COLUMNX1, 10);
  EXPECT_EQ(back.COLUMNX2, 0);
  EXPECT_EQ(back.COLUMNX3, -4);
  EXPECT_EQ(store.LoadProgressPosition(), std::make_pair(12, 34));

  const std::string text = ReadFile(store.FilePath());
  EXPECT_NE(text.find("[Settings]"), std::string::npos);
  EXPECT_NE(text.find("LEVEL=100"), std::string::npos) << "an editable ini file";
}

TEST(SettingsStore, HandEditedGarbageReadsAsDefaults) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  const std::string path = store.FilePath();
  home.dir.MakeFolder("config/QUORVATH/Q7");
  std::ofstream(path) << "[Settings]\nLEVEL=fast\nLOGSZ=1000\nDIR1=/data\nBAKSZ=\n";
  const Settings s = store.Load();
  EXPECT_EQ(s.LEVEL, 1);
  EXPECT_EQ(s.LOGSZ, 1000);
  EXPECT_EQ(s.BAKSZ, 100);
  EXPECT_EQ(s.DIR1, "/data");
}

TEST(SettingsStore, HandWrittenPathsWithCommasReadWhole) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  home.dir.MakeFolder("config/QUORVATH/Q7");
  std::ofstream(store.FilePath()) << "[Settings]\nDIR1=/data/a,b\nDIR2=/x,y,,z\n";
  const Settings s = store.Load();
  EXPECT_EQ(s.DIR1, "/data/a,b");
  EXPECT_EQ(s.DIR2, "/x,y,,z");
}

TEST(MonitorApp, NameSplashSwitchesAndTheOneInstanceRule) {
  EXPECT_EQ(CMonitorApp::ApplicationNameFrom("/usr/bin/talvenor"), "talvenor");
  EXPECT_EQ(CMonitorApp::ApplicationNameFrom("./Talvenor.exe"), "Talvenor");
  EXPECT_TRUE(CMonitorApp::ShowSplashFor({"/S"}));
  EXPECT_FALSE(CMonitorApp::ShowSplashFor({"/S", "-EMBEDDING"}));
  EXPECT_FALSE(CMonitorApp::ShowSplashFor({"/automation"}));
  EXPECT_TRUE(CMonitorApp::ShowSplashFor({"Embedding", "/Embedded"}));

  IsolatedHome home;
  char name[] = "/opt/talvenor";
  char* argv[] = {name, nullptr};
  CMonitorApp first(1, argv);
  int runs = 0;
  std::string storeName;
  ASSERT_FALSE(first.InitInstance([&](SettingsStore& store, bool splash, const std::vector<std::string>&) {
    ++runs;
    storeName = store.ApplicationName();
    EXPECT_TRUE(splash);
    // While the first runs, a second start ends silently without a window.
    CMonitorApp second(1, argv);
    EXPECT_EQ(second.Run([&](SettingsStore&, bool, const std::vector<std::string>&) { ++runs; }), 0);
    EXPECT_TRUE(second.RefusedAsSecondInstance());
  }));
  EXPECT_EQ(first.ExitInstance(), 0);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(storeName, "talvenor");

  // Once the first has ended, a new start succeeds.
  CMonitorApp third(1, argv);
  EXPECT_EQ(third.Run([&](SettingsStore&, bool, const std::vector<std::string>&) { ++runs; }), 0);
  EXPECT_EQ(runs, 2);
}
