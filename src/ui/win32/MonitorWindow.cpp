#include "ui/win32/MonitorWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/EngineText.h"
#include "backup/BackupStore.h"
#include "changelog/ChangeLog.h"
#include "detect/MonitorSession.h"
#include "detect/SnapshotFile.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/win32/WinText.h"
#include "resource.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/ProgressWindow.h"
#include "ui/win32/ResourceSet.h"

namespace talvenor::win32 {
namespace {

using platform::win32::Utf8;
using platform::win32::Wide;

constexpr UINT_PTR kMonitorTimer = 1;
constexpr UINT_PTR kSaveTimer = 2;
UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning:
      return MB_ICONWARNING;
    case MessageIcon::Stop:
      return MB_ICONSTOP;
    default:
      return 0;
  }
}

}  // namespace

MonitorWindow::MonitorWindow(SettingsStore& store, std::vector<std::string> args, LANGID language)
    : m_store(store), m_args(std::move(args)), m_language(language), m_settings(store.Load()) {
  m_hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 0, 0,
                                          LR_DEFAULTSIZE | LR_SHARED));
}

MonitorWindow::~MonitorWindow() {
  m_progress.reset();
  m_session.reset();
}

INT_PTR MonitorWindow::RunModal() {
  return RunDialogIn(IDD_MONITOR, m_language, nullptr, DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MonitorWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<MonitorWindow*>(lParam)->m_hWnd = window;
  }
  auto* self = reinterpret_cast<MonitorWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  return self == nullptr ? FALSE : self->Handle(message, wParam, lParam);
}

INT_PTR MonitorWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutCommand) {
        RunAboutBox(m_language, m_hWnd);
        return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      if (wParam == kMonitorTimer && m_session) m_session->OnMonitorTick();
      if (wParam == kSaveTimer && m_session) m_session->OnSaveTimer();
      return TRUE;
    case WM_SHOWWINDOW:
      if (wParam) m_bEverShown = true;
      return FALSE;
    case WM_WINDOWPOSCHANGING:
      // The modal loop shows a hidden dialog once it goes idle: a window that initialisation
      // hid to the notification area stays there until the icon shows it.
      if (m_bHiddenByInit) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
      return FALSE;
    case kTrayMessage:
      OnTrayNotify(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
      return TRUE;
    case WM_DESTROY:
      // The icon lives exactly as long as the window.
      if (m_bTrayIcon) Shell_NotifyIconW(NIM_DELETE, &m_nid);
      m_bTrayIcon = false;
      return FALSE;
    default:
      return FALSE;
  }
}

void MonitorWindow::OnInitDialog() {
  m_bInitialising = true;
  m_list = GetDlgItem(m_hWnd, IDC_CHANGELIST);
  PushFolderTexts();
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  if (HMENU system = GetSystemMenu(m_hWnd, FALSE)) {
    const std::wstring about = StringIn(IDS_ABOUTBOX, m_language);
    if (!about.empty()) {
      AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(system, MF_STRING, kAboutCommand, about.c_str());
    }
  }
  EnableWindow(GetDlgItem(m_hWnd, IDC_STOP), FALSE);
  EnableWindow(GetDlgItem(m_hWnd, IDC_START), TRUE);
  m_paths = AppPaths::InFolder(platform::CurrentDirectory());
  m_session = std::make_unique<MonitorSession>(m_settings, m_paths, *this, *this);
  SetUpColumns();
  if (m_settings.RIGHT != 0) {
    // A saved place is used only while its title bar is on a screen that is still there.
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    RECT titleBar{m_settings.LEFT, m_settings.TOP, m_settings.LEFT + (window.right - window.left), m_settings.TOP + 20};
    if (MonitorFromRect(&titleBar, MONITOR_DEFAULTTONULL) != nullptr) {
      SetWindowPos(m_hWnd, nullptr, m_settings.LEFT, m_settings.TOP, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
  }
  AddToolTips();
  for (const std::string& arg : m_args) {
    if (arg.find("/S") != std::string::npos) {
      m_session->StartMonitoring();
      break;
    }
  }
  ShowSplash(m_language, m_hWnd, 3000);
  m_bInitialising = false;
}

void MonitorWindow::AddToolTips() {
  HWND tips =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tips == nullptr) return;
  for (int id : {IDC_START, IDC_STOP, IDC_SETTINGS, IDC_SHOWLOG, IDOK, IDCANCEL, IDC_BROWSE_WATCH, IDC_BROWSE_BACKUP,
                 IDC_HELPBUTTON}) {
    std::wstring text = StringIn(IDS_TIP + id, m_language);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hWnd, id));
    tool.lpszText = text.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void MonitorWindow::SetUpColumns() {
  ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT);
  int* widths[3] = {&m_settings.COLUMNX1, &m_settings.COLUMNX2, &m_settings.COLUMNX3};
  // A negative width comes only from a damaged profile: start again from the computed widths.
  if (m_settings.COLUMNX1 == 0 || *widths[0] < 0 || *widths[1] < 0 || *widths[2] < 0) {
    RECT outer{};
    GetWindowRect(m_list, &outer);
    const int w = outer.right - outer.left;
    *widths[0] = w / 7;
    *widths[1] = 3 * w / 7;
    *widths[2] = 3 * w / 7;
  }
  const int titles[3] = {IDS_COLUMN_NAME, IDS_COLUMN_PATH, IDS_COLUMN_BACKUP};
  for (int column = 0; column < 3; ++column) {
    std::wstring title = StringIn(titles[column], m_language);
    LVCOLUMNW def{};
    def.mask = LVCF_TEXT | LVCF_WIDTH;
    def.cx = *widths[column];
    def.pszText = title.data();
    ListView_InsertColumn(m_list, column, &def);
  }
}

std::wstring MonitorWindow::Text(int id) const {
  HWND control = GetDlgItem(m_hWnd, id);
  std::wstring text(GetWindowTextLengthW(control) + 1, L'\0');
  text.resize(GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
  return text;
}

void MonitorWindow::PushFolderTexts() {
  SetDlgItemTextW(m_hWnd, IDC_WATCHDIR, Wide(m_settings.DIR1).c_str());
  SetDlgItemTextW(m_hWnd, IDC_BACKUPDIR, Wide(m_settings.DIR2).c_str());
}

void MonitorWindow::PullFolderTexts() {
  m_settings.DIR1 = Utf8(Text(IDC_WATCHDIR));
  m_settings.DIR2 = Utf8(Text(IDC_BACKUPDIR));
}

void MonitorWindow::SetRunningControls(bool running) {
  for (int id : {IDC_START, IDC_BROWSE_WATCH, IDC_BROWSE_BACKUP, IDC_SETTINGS, IDC_WATCHDIR, IDC_BACKUPDIR}) {
    EnableWindow(GetDlgItem(m_hWnd, id), !running);
  }
  EnableWindow(GetDlgItem(m_hWnd, IDC_STOP), running);
  if (!running) SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, IDC_START)), TRUE);
}

void MonitorWindow::OnCommand(int id) {
  switch (id) {
    case IDC_BROWSE_WATCH:
      OnBrowse(true);
      break;
    case IDC_BROWSE_BACKUP:
      OnBrowse(false);
      break;
    case IDC_START:
    case ID_TRAY_START:
      m_session->StartMonitoring();
      break;
    case IDC_STOP:
    case ID_TRAY_STOP:
      m_session->StopMonitoring();
      break;
    case IDC_SETTINGS:
      OnDetailedSettings();
      break;
    case IDC_HELPBUTTON:
      ShellExecuteW(m_hWnd, L"open", L"help\\main.htm", nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case IDC_SHOWLOG:
      m_session->Log().CopyLogForViewing(m_paths.g_logPath);
      if (!platform::PathExists(m_paths.g_logPath)) {
        platform::RemoveFile(m_paths.g_logBakPath);
        ShowMessage("ログファイルは存在しません", MessageIcon::None);
        break;
      }
      // The log itself stays held by the writer; the desktop opens the viewing copy.
      ShellExecuteW(m_hWnd, L"open", Wide(m_paths.g_logBakPath).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      break;
    case IDOK:
      HideToTray();
      break;
    case IDCANCEL:
    case ID_TRAY_QUIT:
      OnQuit();
      break;
    default:
      break;
  }
}

void MonitorWindow::OnBrowse(bool watched) {
  PullFolderTexts();
  std::string& folder = watched ? m_settings.DIR1 : m_settings.DIR2;
  const std::string initial = folder.empty() ? platform::kDefaultFolder : folder;
  // A refused pair opens the picker again; cancelling keeps what was there.
  std::string result = initial;
  for (std::string chosen; PickFolder(m_hWnd, initial, chosen);) {
    const bool accepted = watched ? m_session->Backup().CheckFolderPair(chosen, m_settings.DIR2)
                                  : m_session->Backup().CheckFolderPair(m_settings.DIR1, chosen);
    if (accepted) {
      result = chosen;
      break;
    }
  }
  // Another watched folder starts from an empty snapshot.
  if (watched && result != initial) DeleteSnapshotFile(m_paths.g_snapshotPath);
  folder = result;
  PushFolderTexts();
}

void MonitorWindow::OnDetailedSettings() {
  const int previousLogSize = m_settings.LOGSZ;
  RunSettingsDialog(m_settings, m_language, m_hWnd);
  if (m_settings.LOGSZ != previousLogSize) m_session->Log().CopyLogForViewing(m_paths.g_logPath);
}

void MonitorWindow::OnQuit() {
  // While Start checks, its progress window owns the run; while a pass waits on one of its
  // messages, quitting would close the log and stop the watcher under it. Both refuse quietly.
  if (m_bQuitting || (m_session && (m_session->IsStarting() || m_session->IsPassRunning()))) return;
  m_bQuitting = true;
  if (m_session && m_session->Log().IsOpen()) m_session->Log().Close();
  SaveSettings();
  if (m_session) m_session->StopWatcher();
  KillTimer();
  EndDialog(m_hWnd, IDCANCEL);
}

void MonitorWindow::SaveSettings() {
  PullFolderTexts();
  // A window that never showed (started hidden with "/S") keeps the place it was given.
  if (m_bEverShown) {
    RECT frame{};
    GetWindowRect(m_hWnd, &frame);
    m_settings.LEFT = frame.left;
    m_settings.TOP = frame.top;
    m_settings.RIGHT = frame.right;
    m_settings.BOTTOM = frame.bottom;
  }
  m_settings.COLUMNX1 = ListView_GetColumnWidth(m_list, 0);
  m_settings.COLUMNX2 = ListView_GetColumnWidth(m_list, 1);
  m_settings.COLUMNX3 = ListView_GetColumnWidth(m_list, 2);
  m_store.Save(m_settings);
}

void MonitorWindow::HideToTray() {
  m_nid = NOTIFYICONDATAW{};
  m_nid.cbSize = sizeof m_nid;
  m_nid.hWnd = m_hWnd;
  m_nid.uID = kTrayIconId;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON;
  m_nid.uCallbackMessage = kTrayMessage;
  m_nid.hIcon = m_hIcon;
  // Adding an icon that is there already fails: there is never more than one.
  if (Shell_NotifyIconW(NIM_ADD, &m_nid)) m_bTrayIcon = true;
  if (m_bTrayIcon) {
    ShowWindow(m_hWnd, SW_HIDE);
  } else {
    // Without a notification area a hidden window could never be reached again.
    ShowWindow(m_hWnd, SW_MINIMIZE);
  }
  if (m_bInitialising) m_bHiddenByInit = m_bTrayIcon;
}

void MonitorWindow::OnTrayNotify(UINT iconId, UINT mouseMessage) {
  if (iconId != kTrayIconId) return;
  if (mouseMessage == WM_LBUTTONDOWN) {
    ShowTrayMenu();
  } else if (mouseMessage == WM_RBUTTONDOWN) {
    m_bHiddenByInit = false;
    ShowWindow(m_hWnd, SW_SHOW);
    SetForegroundWindow(m_hWnd);
  }
}

void MonitorWindow::ShowTrayMenu() {
  HMENU menu = MenuIn(IDR_TRAYMENU, m_language);
  if (menu == nullptr) return;
  HMENU popup = GetSubMenu(menu, 0);
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(m_hWnd);
  const bool monitoring = m_session && m_session->IsRunning();
  EnableMenuItem(popup, GetMenuItemID(popup, 0), MF_BYCOMMAND | (monitoring ? MF_GRAYED : MF_ENABLED));
  EnableMenuItem(popup, GetMenuItemID(popup, 1), MF_BYCOMMAND | (monitoring ? MF_ENABLED : MF_GRAYED));
  const int chosen =
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
  if (chosen != 0) OnCommand(chosen);
}

void MonitorWindow::ShowMessage(const std::string& text, MessageIcon icon) {
  MessageBoxW(m_hWnd, Wide(TranslateEngineText(text)).c_str(), L"Talvenor", MB_OK | IconStyle(icon));
}

bool MonitorWindow::AskOkCancel(const std::string& text, MessageIcon icon) {
  return MessageBoxW(m_hWnd, Wide(TranslateEngineText(text)).c_str(), L"Talvenor", MB_OKCANCEL | IconStyle(icon)) ==
         IDOK;
}

void MonitorWindow::ShowNotice(const std::string& notice) {
  const std::wstring text = Wide(TranslateEngineText(notice));
  if (m_bTrayIcon) {
    NOTIFYICONDATAW balloon = m_nid;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    lstrcpynW(balloon.szInfoTitle, L"Talvenor", ARRAYSIZE(balloon.szInfoTitle));
    lstrcpynW(balloon.szInfo, text.c_str(), ARRAYSIZE(balloon.szInfo));
    Shell_NotifyIconW(NIM_MODIFY, &balloon);
  } else {
    // No icon to speak from: a box of its own thread, which does not hold up the monitor.
    std::thread([text] {
      MessageBoxW(nullptr, text.c_str(), L"Talvenor", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
    }).detach();
  }
}

void MonitorWindow::InsertRow(int index, const std::string& name, const std::string& path,
                              const std::string& destination) {
  std::wstring texts[3] = {Wide(name), Wide(path), Wide(destination)};
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = std::clamp(index, 0, RowCount());
  item.pszText = texts[0].data();
  const int row = ListView_InsertItem(m_list, &item);
  if (row < 0) return;
  ListView_SetItemText(m_list, row, 1, texts[1].data());
  ListView_SetItemText(m_list, row, 2, texts[2].data());
}

void MonitorWindow::DeleteRow(int index) { ListView_DeleteItem(m_list, index); }

int MonitorWindow::RowCount() const { return ListView_GetItemCount(m_list); }

void MonitorWindow::ProgressOpen(const std::string& title, const std::string& text, int lower, int upper, int step) {
  m_progress = std::make_unique<ProgressWindow>(m_hWnd, Wide(TranslateEngineText(title)), &m_store);
  m_progress->SetRange(lower, upper, step);
  m_progress->SetText(Wide(TranslateEngineText(text)));
}

void MonitorWindow::ProgressStep() {
  if (m_progress) m_progress->Step();
}

void MonitorWindow::ProgressPump(bool cancelOnEsc) {
  if (m_progress) m_progress->PumpMessages(cancelOnEsc);
}

void MonitorWindow::ProgressReset() {
  if (m_progress) m_progress->Reset();
}

bool MonitorWindow::ProgressCancelRequested() const { return m_progress && m_progress->CancelRequested(); }

void MonitorWindow::ProgressClose() { m_progress.reset(); }

void MonitorWindow::Terminate(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

void MonitorWindow::StartTimer(int milliseconds) { SetTimer(m_hWnd, kMonitorTimer, milliseconds, nullptr); }

void MonitorWindow::KillTimer() { ::KillTimer(m_hWnd, kMonitorTimer); }

void MonitorWindow::StartSaveTimer(int milliseconds) { SetTimer(m_hWnd, kSaveTimer, milliseconds, nullptr); }

void MonitorWindow::KillSaveTimer() { ::KillTimer(m_hWnd, kSaveTimer); }

}  // namespace talvenor::win32
