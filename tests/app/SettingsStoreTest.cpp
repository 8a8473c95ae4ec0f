#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <tuple>

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

// Every key, for comparing whole settings.
auto Fields(const Settings& s) {
  return std::tie(s.DIR1, s.DIR2, s.LEFT, s.TOP, s.RIGHT, s.BOTTOM, s.LEVEL, s.LOGSZ, s.BAKSZ, s.FIRST, s.COLUMNX1,
                  s.COLUMNX2, s.COLUMNX3);
}

}  // namespace

TEST(SettingsStore, FreshProfileGivesTheDefaults) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  EXPECT_EQ(store.FilePath(), home.dir.path() + "/config/QUORVATH/Q7/talvenor.ini");
  const Settings s = store.Load();
  EXPECT_EQ(std::tie(s.DIR1, s.DIR2, s.LEVEL, s.LOGSZ, s.BAKSZ, s.FIRST, s.RIGHT, s.COLUMNX1),
            std::make_tuple("/", "/", 1, 100, 100, 0, 0, 0));
  EXPECT_EQ(store.LoadProgressPosition(), std::make_pair(-1, -1));
}

TEST(SettingsStore, RoundTripKeepsEveryKeyAndOutOfListValues) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  Settings s;
  s.DIR1 = "/home/user/データ";
  s.DIR2 = std::string("/backup/bad\xff name, with comma");
  s.LEFT = -20, s.TOP = 30, s.RIGHT = 700, s.BOTTOM = 480;
  s.LEVEL = 100;  // not one of the dialog's choices, kept as it is
  s.LOGSZ = 7, s.BAKSZ = 0, s.FIRST = 5;
  s.COLUMNX1 = 10, s.COLUMNX2 = 0, s.COLUMNX3 = -4;
  store.Save(s);
  store.SaveProgressPosition(12, 34);
  EXPECT_EQ(Fields(store.Load()), Fields(s)) << "bytes that are not UTF-8 and out-of-list values survive";
  EXPECT_EQ(store.LoadProgressPosition(), std::make_pair(12, 34));

  const std::string text = ReadFile(store.FilePath());
  EXPECT_NE(text.find("[Settings]"), std::string::npos);
  EXPECT_NE(text.find("LEVEL=100"), std::string::npos) << "an editable ini file";
}

TEST(SettingsStore, HandEditedGarbageReadsAsDefaultsAndUnquotedCommasStayInThePath) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  home.dir.MakeFolder("config/QUORVATH/Q7");
  std::ofstream(store.FilePath()) << "[Settings]\nLEVEL=fast\nLOGSZ=1000\nBAKSZ=\nDIR1=/data/a,b\nDIR2=/x,y,,z\n";
  const Settings s = store.Load();
  EXPECT_EQ(s.LEVEL, 1);
  EXPECT_EQ(s.LOGSZ, 1000);
  EXPECT_EQ(s.BAKSZ, 100);
  EXPECT_EQ(s.DIR1, "/data/a,b");
  EXPECT_EQ(s.DIR2, "/x,y,,z");
}

TEST(SettingsStore, NumbersBeyondThirtyTwoBitsReadAsTheirDefaults) {
  IsolatedHome home;
  SettingsStore store("talvenor");
  home.dir.MakeFolder("config/QUORVATH/Q7");
  std::ofstream(store.FilePath()) << "[Settings]\nLEVEL=99999999999\nLOGSZ=2147483648\nBAKSZ=-2147483649\n"
                                     "FIRST=18446744073709551617\nRIGHT=2147483647\nBOTTOM=-2147483648\nX=4294967296\n";
  const Settings s = store.Load();
  EXPECT_EQ(std::tie(s.LEVEL, s.LOGSZ, s.BAKSZ, s.FIRST), std::make_tuple(1, 100, 100, 0));
  EXPECT_EQ(std::tie(s.RIGHT, s.BOTTOM), std::make_tuple(2147483647, -2147483648)) << "the ends of the range hold";
  EXPECT_EQ(store.LoadProgressPosition(), std::make_pair(-1, -1));
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
