#include "ui/win32/MonitorWindow.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/EngineText.h"
#include "detect/MonitorSession.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/win32/WinText.h"
#include "resource.h"
#include "ui/win32/Dialogs.h"
#include "ui/win32/ProgressWindow.h"
#include "ui/win32/ResourceSet.h"

namespace talvenor::win32 {
namespace {

// The resource script's ids are the commands both faces share.
static_assert(IDOK == command::kClose && IDCANCEL == command::kQuit);
static_assert(IDC_WATCHDIR == command::kWatchDir && IDC_BACKUPDIR == command::kBackupDir);
static_assert(IDC_BROWSE_WATCH == command::kBrowseWatch && IDC_BROWSE_BACKUP == command::kBrowseBackup);
static_assert(IDC_SETTINGS == command::kSettings && IDC_STOP == command::kStop && IDC_START == command::kStart);
static_assert(IDC_HELPBUTTON == command::kHelp && IDC_SHOWLOG == command::kShowLog);
static_assert(IDC_WRITETEST == command::kWriteTest && IDC_READTEST == command::kReadTest &&
              IDC_READSNAPSHOT == command::kReadSnapshot);
static_assert(ID_TRAY_START == command::kTrayStart && ID_TRAY_STOP == command::kTrayStop &&
              ID_TRAY_QUIT == command::kTrayQuit);
static_assert(WM_LBUTTONDOWN == command::kTrayLeftButtonDown && WM_RBUTTONDOWN == command::kTrayRightButtonDown);

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

MonitorWindow::~MonitorWindow() { m_progress.reset(); }

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
      m_commands.OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == kAboutCommand) {
        m_commands.OnCommand(command::kAbout);
        return TRUE;
      }
      return FALSE;
    case WM_TIMER:
      if (wParam == kMonitorTimer) m_commands.OnTick();
      if (wParam == kSaveTimer) m_commands.OnSaveTick();
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
      m_commands.OnTrayNotify(static_cast<int>(wParam), static_cast<int>(lParam));
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
  m_commands.OpenSession();
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
  m_commands.StartIfAsked(m_args);
  ShowSplash(m_language, m_hWnd, 3000);
  m_bInitialising = false;
}

void MonitorWindow::AddToolTips() {
  win32::AddToolTips(m_hWnd,
                     {IDC_START, IDC_STOP, IDC_SETTINGS, IDC_SHOWLOG, IDOK, IDCANCEL, IDC_BROWSE_WATCH,
                      IDC_BROWSE_BACKUP, IDC_HELPBUTTON},
                     m_language);
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

void MonitorWindow::EnableControl(int id, bool enabled) { EnableWindow(GetDlgItem(m_hWnd, id), enabled); }

void MonitorWindow::FocusControl(int id) {
  SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_hWnd, id)), TRUE);
}

std::string MonitorWindow::PickFolder(const std::string& initial) {
  std::string chosen;
  return win32::PickFolder(m_hWnd, initial, chosen) ? chosen : std::string();
}

void MonitorWindow::RunSettingsDialog(Settings& settings) { win32::RunSettingsDialog(settings, m_language, m_hWnd); }

void MonitorWindow::ShowAbout() { RunAboutBox(m_language, m_hWnd); }

void MonitorWindow::OpenWithDesktop(const std::string& path) {
  ShellExecuteW(m_hWnd, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string MonitorWindow::PickFile(const std::string& title, bool save) {
  std::wstring file(32768, L'\0');
  const std::wstring caption = Wide(title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = m_hWnd;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags = OFN_NOCHANGEDIR | OFN_EXPLORER | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return {};
  file.resize(wcslen(file.c_str()));
  return Utf8(file);
}

std::string MonitorWindow::PickFileToSave(const std::string& title) { return PickFile(title, true); }

std::string MonitorWindow::PickFileToOpen(const std::string& title) { return PickFile(title, false); }

std::string MonitorWindow::HelpPage() {
  std::string page = TranslateText("talvenor", "help/main.htm");
  std::replace(page.begin(), page.end(), '/', '\\');
  return page;
}

// The installed copy sits beside talvenor.exe.
std::string MonitorWindow::InstalledHelpFolder() {
  std::wstring program(32768, L'\0');
  program.resize(GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
  const std::size_t slash = program.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::string() : Utf8(program.substr(0, slash));
}

// No page is built into the Windows program: the installer and the zip bring it.
std::string MonitorWindow::WriteBuiltInHelp(const std::string&) { return {}; }

void MonitorWindow::CloseWindow() { EndDialog(m_hWnd, IDCANCEL); }

void MonitorWindow::PutPlaceInto(Settings& settings) {
  // A window that never showed (started hidden with "/S") keeps the place it was given.
  if (m_bEverShown) {
    RECT frame{};
    GetWindowRect(m_hWnd, &frame);
    settings.LEFT = frame.left;
    settings.TOP = frame.top;
    settings.RIGHT = frame.right;
    settings.BOTTOM = frame.bottom;
  }
  settings.COLUMNX1 = ListView_GetColumnWidth(m_list, 0);
  settings.COLUMNX2 = ListView_GetColumnWidth(m_list, 1);
  settings.COLUMNX3 = ListView_GetColumnWidth(m_list, 2);
}

bool MonitorWindow::AddTrayIcon() {
  m_nid = NOTIFYICONDATAW{};
  m_nid.cbSize = sizeof m_nid;
  m_nid.hWnd = m_hWnd;
  m_nid.uID = command::kTrayIconId;
  m_nid.uFlags = NIF_MESSAGE | NIF_ICON;
  m_nid.uCallbackMessage = kTrayMessage;
  m_nid.hIcon = m_hIcon;
  // Adding an icon that is there already fails: there is never more than one.
  if (Shell_NotifyIconW(NIM_ADD, &m_nid)) m_bTrayIcon = true;
  return m_bTrayIcon;
}

void MonitorWindow::HideWindow() {
  ShowWindow(m_hWnd, SW_HIDE);
  if (m_bInitialising) m_bHiddenByInit = true;
}

void MonitorWindow::MinimiseWindow() { ShowWindow(m_hWnd, SW_MINIMIZE); }

void MonitorWindow::ShowNormal() {
  m_bHiddenByInit = false;
  ShowWindow(m_hWnd, SW_SHOW);
  SetForegroundWindow(m_hWnd);
}

int MonitorWindow::ShowTrayMenu(bool startEnabled, bool stopEnabled) {
  HMENU menu = MenuIn(IDR_TRAYMENU, m_language);
  if (menu == nullptr) return 0;
  HMENU popup = GetSubMenu(menu, 0);
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(m_hWnd);
  EnableMenuItem(popup, GetMenuItemID(popup, 0), MF_BYCOMMAND | (startEnabled ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(popup, GetMenuItemID(popup, 1), MF_BYCOMMAND | (stopEnabled ? MF_ENABLED : MF_GRAYED));
  const int chosen =
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
  return chosen;
}

void MonitorWindow::ShowMessage(const std::string& text, MessageIcon icon) {
  MessageBoxW(m_hWnd, Wide(text).c_str(), L"Talvenor", MB_OK | IconStyle(icon));
}

bool MonitorWindow::AskOkCancel(const std::string& text, MessageIcon icon) {
  return MessageBoxW(m_hWnd, Wide(text).c_str(), L"Talvenor", MB_OKCANCEL | IconStyle(icon)) == IDOK;
}

void MonitorWindow::ShowBalloon(const std::string& text) {
  NOTIFYICONDATAW balloon = m_nid;
  balloon.uFlags = NIF_INFO;
  balloon.dwInfoFlags = NIIF_WARNING;
  lstrcpynW(balloon.szInfoTitle, L"Talvenor", ARRAYSIZE(balloon.szInfoTitle));
  lstrcpynW(balloon.szInfo, Wide(text).c_str(), ARRAYSIZE(balloon.szInfo));
  Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

void MonitorWindow::ShowWithoutWaiting(const std::string& text) {
  // A box of its own thread, which does not hold up the monitor.
  std::thread([text = Wide(text)] {
    MessageBoxW(nullptr, text.c_str(), L"Talvenor", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
  }).detach();
}

// A pass calls this between files: the window answers, and a Quit or Stop chosen meanwhile
// asks the pass to end after the file in progress.
void MonitorWindow::LetInputThrough() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the loop that waits for it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (!IsDialogMessageW(m_hWnd, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
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
  m_progress = std::make_unique<ProgressWindow>(m_hWnd, Wide(title), &m_store);
  m_progress->SetRange(lower, upper, step);
  m_progress->SetText(Wide(text));
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
