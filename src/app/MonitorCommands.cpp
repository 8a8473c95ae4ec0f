#include "app/MonitorCommands.h"

#include <cstdint>
#include <cstdio>

#include "app/CommandIds.h"
#include "app/EngineText.h"
#include "app/HelpSearch.h"
#include "app/SettingsStore.h"
#include "app/TextMark.h"
#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "detect/Snapshot.h"
#include "detect/SnapshotFile.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"

namespace talvenor {
namespace {

// Enabled only while stopped: what Start would read, and Start itself.
constexpr int kStoppedOnly[] = {command::kStart,    command::kBrowseWatch, command::kBrowseBackup,
                                command::kSettings, command::kWatchDir,    command::kBackupDir};

// One line per entry: name, size as a signed number, time stamp, each line ending " \r\n".
std::string ListSnapshot(const Snapshot& snapshot) {
  std::string text;
  for (const CElement& entry : snapshot) {
    // A damaged file leaves empty records behind the ones it could read.
    if (entry == CElement()) continue;
    text += entry.m_strName + " " + std::to_string(static_cast<std::int32_t>(entry.m_dwSize)) + " " + entry.m_strStamp +
            " \r\n";
  }
  return text;
}

}  // namespace

void MonitorCommands::EnginePort::ShowNotice(const std::string& notice) {
  const std::string text = TranslateEngineText(notice);
  if (m_face.TrayIconShown()) {
    m_face.ShowBalloon(text);
  } else {
    // No icon to speak from (stopped, or a desktop without a notification area): a box that
    // does not hold up the monitor.
    m_face.ShowWithoutWaiting(text);
  }
}

MonitorCommands::MonitorCommands(MainWindowFace& face, Settings& settings, SettingsStore& store)
    : m_face(face), m_settings(settings), m_store(store) {}

MonitorCommands::~MonitorCommands() = default;

void MonitorCommands::OpenSession() {
  m_face.EnableControl(command::kStop, false);
  m_face.EnableControl(command::kStart, true);
  m_paths = AppPaths::InFolder(platform::CurrentDirectory());
  m_session = std::make_unique<MonitorSession>(m_settings, m_paths, m_port, m_host);
}

bool MonitorCommands::StartIfAsked(const std::vector<std::string>& args) {
  // Only what follows the program name is searched, so the name itself never matches.
  std::string commandLine;
  for (const std::string& arg : args) commandLine += " " + arg;
  const bool asked = commandLine.find("/S") != std::string::npos;
  if (asked && m_session) m_session->StartMonitoring();
  return asked;
}

void MonitorCommands::SetRunningControls(bool running) {
  for (int id : kStoppedOnly) m_face.EnableControl(id, !running);
  m_face.EnableControl(command::kStop, running);
  if (!running) m_face.FocusControl(command::kStart);
}

void MonitorCommands::HideToTray() {
  if (m_face.AddTrayIcon()) {
    m_face.HideWindow();
  } else {
    // Without a notification area a hidden window could never be reached again (a second
    // start is refused silently), so the window is only minimised.
    m_face.MinimiseWindow();
  }
}

void MonitorCommands::OnCommand(int id) {
  switch (id) {
    case command::kBrowseWatch:
      Browse(true);
      break;
    case command::kBrowseBackup:
      Browse(false);
      break;
    case command::kStart:
    case command::kTrayStart:
      if (m_session) m_session->StartMonitoring();
      break;
    case command::kStop:
    case command::kTrayStop:
      if (m_session) m_session->StopMonitoring();
      break;
    case command::kSettings:
      DetailedSettings();
      break;
    case command::kHelp:
      Help();
      break;
    case command::kShowLog:
      ShowLog();
      break;
    case command::kWriteTest:
      WriteTest();
      break;
    case command::kReadTest:
      ReadTest();
      break;
    case command::kReadSnapshot:
      ReadSnapshotTest();
      break;
    case command::kClose:
      HideToTray();
      break;
    case command::kQuit:
    case command::kTrayQuit:
      Quit();
      break;
    case command::kAbout:
      m_face.ShowAbout();
      break;
    default:
      break;
  }
}

std::string MonitorCommands::PickFolderUntilAccepted(const std::string& initial, bool watched) {
  // A refused pair opens the picker again; cancelling keeps what was there.
  for (;;) {
    const std::string chosen = m_face.PickFolder(initial);
    if (chosen.empty()) return initial;
    const bool accepted = watched ? m_session->Backup().CheckFolderPair(chosen, m_settings.DIR2)
                                  : m_session->Backup().CheckFolderPair(m_settings.DIR1, chosen);
    if (accepted) return chosen;
  }
}

void MonitorCommands::Browse(bool watched) {
  m_face.PullFolderTexts();
  std::string& folder = watched ? m_settings.DIR1 : m_settings.DIR2;
  const std::string initial = folder.empty() ? platform::kDefaultFolder : folder;
  const std::string result = PickFolderUntilAccepted(initial, watched);
  // Another watched folder starts from an empty snapshot.
  if (watched && result != initial) DeleteSnapshotFile(m_paths.g_snapshotPath);
  folder = result;
  m_face.PushFolderTexts();
}

void MonitorCommands::DetailedSettings() {
  const int previousLogSize = m_settings.LOGSZ;
  m_face.RunSettingsDialog(m_settings);
  if (m_settings.LOGSZ != previousLogSize) m_session->Log().CopyLogForViewing(m_paths.g_logPath);
}

void MonitorCommands::Help() {
  // Found at the time of the click.
  const std::string page = FindHelpPage(m_face.HelpPage(), m_face.InstalledHelpFolder(),
                                        [this](const std::string& name) { return m_face.WriteBuiltInHelp(name); });
  if (!page.empty()) m_face.OpenWithDesktop(page);
}

void MonitorCommands::ShowLog() {
  m_session->Log().CopyLogForViewing(m_paths.g_logPath);
  if (!platform::PathExists(m_paths.g_logPath)) {
    platform::RemoveFile(m_paths.g_logBakPath);
    m_face.ShowMessage(TranslateText("talvenor", QT_TRANSLATE_NOOP("talvenor", "ログファイルは存在しません")),
                       MessageIcon::None);
    return;
  }
  // The log itself stays locked by the writer; the desktop opens the viewing copy.
  m_face.OpenWithDesktop(m_paths.g_logBakPath);
}

// The test commands work on the run's current snapshot, as a pass does; a cancelled save leaves
// its entries there.
void MonitorCommands::WriteTest() {
  for (int i = 0; i < 3; ++i) {
    CElement entry;
    entry.m_strName = "test1";
    entry.m_dwSize = 10001;
    entry.m_strStamp = "test2";
    g_currentSnapshot.push_back(std::move(entry));
  }
  const std::string path =
      m_face.PickFileToSave(TranslateText("talvenor", QT_TRANSLATE_NOOP("talvenor", "表示一覧をCSV形式で保存")));
  if (path.empty()) return;
  SaveSnapshot(path, g_currentSnapshot, m_port);
  ClearCurrentSnapshot();
}

void MonitorCommands::ReadTest() {
  const std::string path =
      m_face.PickFileToOpen(TranslateText("talvenor", QT_TRANSLATE_NOOP("talvenor", "保存した一覧を開く")));
  if (path.empty()) return;
  LoadSnapshot(path, g_currentSnapshot);
  m_face.ShowMessage(ListSnapshot(g_currentSnapshot), MessageIcon::None);
  ClearCurrentSnapshot();
}

void MonitorCommands::ReadSnapshotTest() {
  LoadSnapshot(m_paths.g_snapshotPath, g_currentSnapshot);
  m_face.ShowMessage(ListSnapshot(g_currentSnapshot), MessageIcon::None);
  ClearCurrentSnapshot();
}

void MonitorCommands::Quit() {
  // While Start is checking, its progress window owns the run: Quit is refused quietly.
  if (m_quitting || (m_session && m_session->IsStarting())) return;
  // Quitting under a pass would close the log and stop the watcher under it: the pass ends
  // after the file in progress, and Quit follows.
  if (m_session && m_session->IsPassRunning()) {
    m_quitAfterPass = true;
    m_session->EndPassEarly();
    return;
  }
  m_quitting = true;
  // The log is closed before the settings are written, and the watcher stopped after.
  if (m_session) m_session->Log().Close();
  SaveSettings();
  if (m_session) {
    m_session->Finish();
  } else {
    m_face.KillTimer();
  }
  m_face.CloseWindow();
}

void MonitorCommands::QuitAfterPass() {
  m_quitAfterPass = false;
  // No further pass may start behind the message below.
  m_face.KillTimer();
  if (const int left = m_session->Detector().LastLeftCount(); left > 0) {
    const std::string text = TranslateEngineText(msg::Format(msg::kFilesLeftForNextPass, {std::to_string(left)}));
    std::fprintf(stderr, "talvenor: %s\n", text.c_str());
    std::fflush(stderr);
    m_face.ShowMessage(text, MessageIcon::None);
  }
  Quit();
}

void MonitorCommands::SaveSettings() {
  m_face.PullFolderTexts();
  m_face.PutPlaceInto(m_settings);
  m_store.Save(m_settings);
}

void MonitorCommands::OnTick() {
  if (!m_session) return;
  m_session->OnMonitorTick();
  if (m_quitAfterPass && !m_session->IsPassRunning()) QuitAfterPass();
}

void MonitorCommands::OnSaveTick() {
  if (m_session) m_session->OnSaveTimer();
}

void MonitorCommands::OnTrayNotify(int iconId, int mouseMessage) {
  if (iconId != command::kTrayIconId) return;
  if (mouseMessage == command::kTrayLeftButtonDown) {
    // The session's own state: Start is offered while it is stopped, Stop while it runs.
    const bool running = m_session && m_session->IsRunning();
    if (const int chosen = m_face.ShowTrayMenu(!running, running); chosen != 0) OnCommand(chosen);
  } else if (mouseMessage == command::kTrayRightButtonDown) {
    m_face.ShowNormal();
  }
}

}  // namespace talvenor
