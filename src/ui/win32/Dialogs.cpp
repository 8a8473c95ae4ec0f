#include "ui/win32/Dialogs.h"

#include <commctrl.h>
#include <shlobj.h>

#include <array>

#include "app/SettingsChoices.h"
#include "platform/win32/WinText.h"
#include "resource.h"
#include "ui/win32/ResourceSet.h"

namespace talvenor::win32 {
namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(window, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

// Each button is a group of its own in the template, so the dialog keeps one mark per row itself.
static_assert(kChoiceRows[0].firstId == IDC_LOGSZ_100 && kChoiceRows[1].firstId == IDC_LEVEL_1 &&
              kChoiceRows[2].firstId == IDC_BAKSZ_10 && kChoiceRows[3].firstId == IDC_FIRST_ALL &&
              kChoiceRows[3].firstId + 1 == IDC_FIRST_CHANGED);

struct SettingsState {
  Settings* settings;
  LANGID language;
  std::array<int, kChoiceRows.size()> chosen{};
};

void MarkRow(HWND window, const ChoiceRow& row, int chosen) {
  for (int i = 0; i < row.count; ++i)
    CheckDlgButton(window, row.firstId + i, i == chosen ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
  auto* state = reinterpret_cast<SettingsState*>(GetWindowLongPtrW(window, DWLP_USER));
  if (state == nullptr) return FALSE;
  if (message == WM_INITDIALOG) {
    state->chosen = ChoicesFrom(*state->settings);
    for (std::size_t r = 0; r < kChoiceRows.size(); ++r) MarkRow(window, kChoiceRows[r], state->chosen[r]);
    AddToolTips(window,
                {IDC_LOGSZ_100, IDC_LOGSZ_1000, IDC_LOGSZ_10000, IDC_LEVEL_1, IDC_LEVEL_10, IDC_LEVEL_60, IDC_BAKSZ_10,
                 IDC_BAKSZ_100, IDC_BAKSZ_1000, IDC_FIRST_ALL, IDC_FIRST_CHANGED},
                state->language);
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wParam);
  if (id == IDOK) {
    StoreChoices(state->chosen, *state->settings);
  }
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(window, id);
    return TRUE;
  }
  for (std::size_t r = 0; r < kChoiceRows.size(); ++r) {
    const ChoiceRow& row = kChoiceRows[r];
    if (id >= row.firstId && id < row.firstId + row.count && HIWORD(wParam) == BN_CLICKED) {
      state->chosen[r] = id - row.firstId;
      MarkRow(window, row, state->chosen[r]);
      return TRUE;
    }
  }
  return FALSE;
}

int CALLBACK StartIn(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      auto bitmap = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, bitmap);
      BITMAP info{};
      GetObjectW(bitmap, sizeof info, &info);
      BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_TIMER:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      DeleteObject(reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA)));
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

void AddToolTips(HWND dialog, std::initializer_list<int> ids, LANGID language) {
  HWND tips =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tips == nullptr) return;
  for (int id : ids) {
    std::wstring text = StringIn(IDS_TIP + id, language);
    if (text.empty()) continue;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    tool.lpszText = text.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void RunAboutBox(LANGID language, HWND owner) { RunDialogIn(IDD_ABOUTBOX, language, owner, AboutProc, 0); }

void RunSettingsDialog(Settings& settings, LANGID language, HWND owner) {
  SettingsState state{&settings, language, {}};
  RunDialogIn(IDD_SETTINGS, language, owner, SettingsProc, reinterpret_cast<LPARAM>(&state));
}

bool PickFolder(HWND owner, const std::string& initial, std::string& chosen) {
  const std::wstring start = platform::win32::Wide(initial);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = StartIn;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE picked = SHBrowseForFolderW(&info);
  if (picked == nullptr) return false;
  wchar_t path[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListW(picked, path);
  CoTaskMemFree(picked);
  if (!named) return false;
  chosen = platform::win32::Utf8(path);
  return true;
}

void ShowSplash(LANGID language, HWND owner, UINT milliseconds) {
  HBITMAP bitmap = BitmapIn(IDB_SPLASH, language);
  if (bitmap == nullptr) return;
  static const wchar_t kClass[] = L"TalvenorSplash";
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = SplashProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClass;
  RegisterClassW(&windowClass);
  BITMAP info{};
  GetObjectW(bitmap, sizeof info, &info);
  // Centred on the screen of the owner.
  MONITORINFO screen{};
  screen.cbSize = sizeof screen;
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &screen);
  const RECT& area = screen.rcWork;
  HWND splash =
      CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, L"", WS_POPUP | WS_BORDER,
                      (area.left + area.right - info.bmWidth) / 2, (area.top + area.bottom - info.bmHeight) / 2,
                      info.bmWidth + 2, info.bmHeight + 2, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (splash == nullptr) {
    DeleteObject(bitmap);
    return;
  }
  SetWindowLongPtrW(splash, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bitmap));
  SetTimer(splash, 1, milliseconds, nullptr);
  ShowWindow(splash, SW_SHOWNOACTIVATE);
  UpdateWindow(splash);
}

}  // namespace talvenor::win32
