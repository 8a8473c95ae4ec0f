#include "app/Headless.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/EngineText.h"
#include "app/MonitorApp.h"
#include "app/SettingsStore.h"
#include "app/StateFolder.h"
#include "app/StatusFile.h"
#include "app/TerminalHost.h"
#include "app/TerminalUi.h"
#include "app/TranslatedUi.h"
#include "app/VersionsCommand.h"
#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "core/AppPaths.h"
#include "core/Messages.h"
#include "detect/ChangeDetector.h"
#include "detect/MonitorSession.h"
#include "platform/FileSystem.h"
#include "platform/InstanceLock.h"
#include "platform/TerminationSignals.h"

namespace talvenor {
namespace {

// A signal ends a pass after the file in progress; what it left waits for the next run.
void EndRun(MonitorSession& session, UiPort& ui) {
  if (const int left = session.Detector().LastLeftCount(); left > 0)
    ui.ShowNotice(msg::Format(msg::kFilesLeftForNextPass, {std::to_string(left)}));
  session.Finish();
}

int RunSession(const CommandLine& command, Settings& settings) {
  // The state folder is made and entered only once Start's checks have passed.
  const std::string state = StateFolderFor(command);
  const AppPaths paths = AppPaths::InFolder(state.empty() ? platform::CurrentDirectory() : AbsoluteFolder(state));
  // Blocked before the watcher thread exists, so only the main thread's wait ever takes them.
  platform::BlockTerminationSignals();
  TerminalUi terminal;
  TranslatedUi ui(terminal);
  TerminalHost host;
  MonitorSession session(settings, paths, ui, host);
  // Nobody can cancel a walk here: a refused folder (the default "/" among them) is never walked.
  // A refused start writes nothing, neither the state folder nor an empty log; once the folders
  // are accepted, a log that can be neither opened nor made ends the run, before anything is
  // copied.
  if (session.CheckStartFolders() == 0) return kExitStartRefused;
  if (!EnterStateFolder(command)) return kExitLogUnusable;
  if (command.once) {
    session.Log().OpenOrTerminate(paths.g_logPath);
    platform::TouchedFolders everything;
    everything.everything = true;
    // The tick's own pass: a full or missing backup side is told at once, as a tick tells it.
    session.RunPass(everything);
    EndRun(session, ui);
    return kExitDone;
  }

  // `talvenor --status` reads what this run does; the file goes with it.
  host.onStatus = [](const InstanceStatus& status) { WriteStatusFile(status, "headless"); };
  InstanceStatus starting;
  starting.watch = settings.DIR1;
  starting.backup = settings.DIR2;
  WriteStatusFile(starting, "headless");
  struct Remove {
    ~Remove() { RemoveStatusFile(); }
  } removeAtEnd;
  session.StartMonitoring();
  if (!session.IsRunning()) return kExitStartRefused;
  session.Log().OpenOrTerminate(paths.g_logPath);
  ui.ShowNotice("monitoring " + settings.DIR1 + ", copies to " + settings.DIR2 + ", every " +
                std::to_string(std::max(1, settings.LEVEL)) + " s; log.csv and test2.dat in " + paths.Folder());
  host.Run([&session] { session.OnMonitorTick(); }, [&session] { session.OnSaveTimer(); });
  EndRun(session, ui);
  return kExitDone;
}

}  // namespace

int RunHeadless(int argc, char** argv) {
  // Standard output read through `| head` may close at any time; the monitor outlives it.
  platform::IgnoreBrokenPipe();
  UseLanguage(LanguageFromEnvironment());
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  CommandLine command;
  std::string error;
  if (!ParseCommandLine(args, command, error)) {
    std::cerr << "talvenor: " << error << "\n" << UsageText();
    return kExitUsage;
  }
  if (command.help) {
    std::cout << UsageText();
    return kExitDone;
  }
  if (command.version) {
    std::cout << VersionText();
    return kExitDone;
  }
  if (command.status) return PrintStatus(std::cout);

  // Only reads: no guard, so it answers beside a running monitor.
  if (command.versions) {
    const SettingsStore store(CMonitorApp::ApplicationNameFrom(argc > 0 && argv[0] ? argv[0] : "talvenor"));
    return RunVersions(command, store.Load());
  }

  // Same guard as the windowed program; one line tells a person, the status a script.
  platform::InstanceLock guard;
  if (!guard.Acquire(CMonitorApp::kMutexName)) {
    const RunningInstance running = FindRunningInstance();
    const std::string mode = ModeWords(running);
    std::cerr << "talvenor: another instance is already running for this user";
    if (running.pid > 0) std::cerr << " (process " << running.pid << (mode.empty() ? "" : ", " + mode) << ")";
    std::cerr << "; talvenor --status tells what it does\n";
    return kExitOtherInstance;
  }

  // The settings file is read, never written: --watch and --backup hold for this run only.
  const SettingsStore store(CMonitorApp::ApplicationNameFrom(argc > 0 && argv[0] ? argv[0] : "talvenor"));
  Settings settings = store.Load();
  if (command.watch) settings.DIR1 = AbsoluteFolder(*command.watch);
  if (command.backup) settings.DIR2 = AbsoluteFolder(*command.backup);
  return RunSession(command, settings);
}

}  // namespace talvenor
