// The settings in the per-user registry: strings for the folders, 32-bit numbers for the rest.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/SettingsStore.h"
#include "platform/RegistrySettings.h"
#include "platform/win32/WinText.h"

using talvenor::Settings;
using talvenor::SettingsStore;
using talvenor::platform::RegistrySettings;

namespace {

// An application name of its own, so no real settings are touched; removed afterwards.
class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QUORVATH\\Q7\\talvenor-test"); }
  const std::string m_app = "talvenor-test";
};

}  // namespace

TEST_F(RegistryTest, MissingValuesAndValuesOfAnotherTypeGiveTheDefaults) {
  const Settings defaults;
  const Settings loaded = SettingsStore(m_app).Load();
  EXPECT_EQ(loaded.DIR1, "C:\\");
  EXPECT_EQ(loaded.LEVEL, defaults.LEVEL);
  const RegistrySettings raw(m_app, "Settings");
  ASSERT_TRUE(raw.WriteString("LEVEL", "5"));  // a number written as text
  ASSERT_TRUE(raw.WriteNumber("DIR1", 3));     // a folder written as a number
  EXPECT_EQ(SettingsStore(m_app).Load().LEVEL, defaults.LEVEL);
  EXPECT_EQ(SettingsStore(m_app).Load().DIR1, "C:\\");
}

TEST_F(RegistryTest, SavedValuesComeBackWithTheirTypesAndEveryName) {
  Settings s;
  s.DIR1 = "C:\\\xE5\x86\x99\xE7\x9C\x9F \xF0\x9F\x93\xB7";  // 写真 📷
  s.DIR2 = "D:\\backup";
  s.LEFT = -1200;  // a window on a monitor left of the main one
  s.LEVEL = 60;
  s.COLUMNX3 = 250;
  SettingsStore(m_app).Save(s);
  const Settings loaded = SettingsStore(m_app).Load();
  EXPECT_EQ(loaded.DIR1, s.DIR1);
  EXPECT_EQ(loaded.DIR2, s.DIR2);
  EXPECT_EQ(loaded.LEFT, -1200);
  EXPECT_EQ(loaded.LEVEL, 60);
  EXPECT_EQ(loaded.COLUMNX3, 250);

  DWORD type = 0;
  const std::wstring key = L"Software\\QUORVATH\\Q7\\talvenor-test\\Settings";
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"DIR1", RRF_RT_ANY, &type, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"LEVEL", RRF_RT_ANY, &type, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(SettingsStore(m_app).FilePath(), "HKEY_CURRENT_USER\\Software\\QUORVATH\\Q7\\talvenor-test\\Settings");
}
