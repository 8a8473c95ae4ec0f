#pragma once
// A main window on a fresh profile, in a current directory of its own, with two usable folders.
#include <memory>

#include "UiTestSupport.h"
#include "app/SettingsStore.h"
#include "ui/CMonitorDlg.h"

namespace talvenor::test {

class MonitorDlgTest : public UiTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds and initialises the window as start-up does.
  ui::CMonitorDlg& Open(std::vector<std::string> args = {});
  // Writes settings as an earlier Quit would have.
  void StoreSettings(const Settings& settings) { m_store.Save(settings); }
  void TypeFolders(const std::string& watch, const std::string& backup);
  void Press(int id);
  // Presses on the tray icon and picks the menu item with this id (0: just looks); returns
  // the ids of the enabled items.
  std::vector<int> PickFromTrayMenu(int id);

  SettingsStore m_store{"talvenor"};
  std::shared_ptr<FakeTray::State> m_tray = std::make_shared<FakeTray::State>();
  std::unique_ptr<ui::CMonitorDlg> m_dlg;
  std::string m_watch, m_backup;
};

}  // namespace talvenor::test
