#pragma once
// The main window's command ids, the same in both faces: the Qt window names its controls by
// them, the Win32 resource script defines them as IDC_* and the window checks that they agree.
namespace talvenor::command {

inline constexpr int kClose = 1;  // hides to the notification area
inline constexpr int kQuit = 2;
inline constexpr int kAbout = 16;
inline constexpr int kWatchDir = 1000;
inline constexpr int kBackupDir = 1001;
inline constexpr int kBrowseWatch = 1002;
inline constexpr int kBrowseBackup = 1003;
inline constexpr int kSettings = 1006;
inline constexpr int kStop = 1007;
inline constexpr int kStart = 1008;
inline constexpr int kHelp = 1009;
inline constexpr int kShowLog = 1010;
// Test commands that nothing in the window shows.
inline constexpr int kWriteTest = 1014;
inline constexpr int kReadTest = 1015;
inline constexpr int kReadSnapshot = 1016;
// The tray menu.
inline constexpr int kTrayStart = 132;
inline constexpr int kTrayStop = 32773;
inline constexpr int kTrayQuit = 32774;

// The notification-area icon: its id and the mouse messages it reports.
inline constexpr int kTrayIconId = 1;
inline constexpr int kTrayLeftButtonDown = 0x201;
inline constexpr int kTrayRightButtonDown = 0x204;

}  // namespace talvenor::command
