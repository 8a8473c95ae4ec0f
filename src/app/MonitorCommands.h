#pragma once
// The main window's behaviour, once for both faces: what each command does, the controls of
// each session state, Quit's refusals and order, the tick, the tray icon's clicks and menu,
// and where a notice goes. The face (Qt or Win32) only draws and forwards.
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindowFace.h"
#include "app/TranslatedUi.h"
#include "core/AppPaths.h"
#include "core/Settings.h"

namespace talvenor {

class MonitorSession;
class SettingsStore;

class MonitorCommands {
 public:
  // settings: the face's, which its folder fields read and write.
  MonitorCommands(MainWindowFace& face, Settings& settings, SettingsStore& store);
  ~MonitorCommands();
  MonitorCommands(const MonitorCommands&) = delete;
  MonitorCommands& operator=(const MonitorCommands&) = delete;

  // The session, its files in the current folder, and the Stopped state's controls.
  void OpenSession();
  // "/S" anywhere after the program name starts monitoring; true when it was asked for.
  bool StartIfAsked(const std::vector<std::string>& args);

  // A command by id (command::k*), as a button, a key or a menu item gives it.
  void OnCommand(int id);
  void Quit();
  // The monitoring timer and the save timer.
  void OnTick();
  void OnSaveTick();
  void OnTrayNotify(int iconId, int mouseMessage);

  // What the session asks of its host besides the face's own parts.
  void SetRunningControls(bool running);
  void HideToTray();
  // The folder picker until the pair is accepted; initial when the picker is cancelled.
  std::string PickFolderUntilAccepted(const std::string& initial, bool watched);
  // The window's place, the column widths and the folder fields into the settings file.
  void SaveSettings();

  // The port the engine speaks through: its texts translated, notices as a balloon or a box.
  UiPort& EngineUi() { return m_port; }
  MonitorSession& Session() { return *m_session; }
  bool HasSession() const { return m_session != nullptr; }
  const AppPaths& Paths() const { return m_paths; }
  bool IsQuitting() const { return m_quitting; }

 private:
  // The face as the engine's port: its texts translated, a notice as a balloon or a box.
  class EnginePort : public TranslatedUi {
   public:
    explicit EnginePort(MainWindowFace& face) : TranslatedUi(face), m_face(face) {}
    void ShowNotice(const std::string& text) override;

   private:
    MainWindowFace& m_face;
  };
  // The face as the session's host; the controls and hiding follow the commands' rules.
  class EngineHost : public SessionHost {
   public:
    explicit EngineHost(MonitorCommands& owner) : m_owner(owner), m_face(owner.m_face) {}
    void StartTimer(int milliseconds) override { m_face.StartTimer(milliseconds); }
    void KillTimer() override { m_face.KillTimer(); }
    void StartSaveTimer(int milliseconds) override { m_face.StartSaveTimer(milliseconds); }
    void KillSaveTimer() override { m_face.KillSaveTimer(); }
    void PullFolderTexts() override { m_face.PullFolderTexts(); }
    void SetRunningControls(bool running) override { m_owner.SetRunningControls(running); }
    void HideToTray() override { m_owner.HideToTray(); }
    void StatusChanged(const InstanceStatus& status) override { m_face.StatusChanged(status); }

   private:
    MonitorCommands& m_owner;
    MainWindowFace& m_face;
  };

  void Browse(bool watched);
  void DetailedSettings();
  void Help();
  void ShowLog();
  void WriteTest();
  void ReadTest();
  void ReadSnapshotTest();
  // The Quit that waited for a pass; tells how many changed files are left for the next one.
  void QuitAfterPass();

  MainWindowFace& m_face;
  Settings& m_settings;
  SettingsStore& m_store;
  EnginePort m_port{m_face};
  EngineHost m_host{*this};
  AppPaths m_paths;
  std::unique_ptr<MonitorSession> m_session;
  bool m_quitting = false;
  // Quit was chosen while a pass worked: it follows once the file in progress is copied.
  bool m_quitAfterPass = false;
};

}  // namespace talvenor
