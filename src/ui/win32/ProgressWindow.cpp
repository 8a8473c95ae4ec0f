#include "ui/win32/ProgressWindow.h"

#include <commctrl.h>

#include <cwchar>

#include "app/SettingsStore.h"

namespace talvenor::win32 {
namespace {

constexpr int kCancelId = 10, kTextId = 11, kBarId = 12;
constexpr int kTextLines = 4, kWidth = 390;
const wchar_t kClass[] = L"TalvenorProgress";

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, std::wstring title, const SettingsStore* store)
    : m_store(store), m_strCaption(std::move(title)) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kClass;
  RegisterClassW(&windowClass);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  m_font = CreateFontIndirectW(&metrics.lfMessageFont);

  m_hWnd = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kClass, m_strCaption.c_str(), WS_POPUP | WS_CAPTION, 0,
                           0, kWidth, 130, owner, nullptr, instance, this);
  if (m_hWnd == nullptr) return;
  m_text = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 10, 10,
                           m_hWnd, reinterpret_cast<HMENU>(kTextId), instance, nullptr);
  m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, m_hWnd,
                          reinterpret_cast<HMENU>(kBarId), instance, nullptr);
  m_button = CreateWindowExW(0, L"BUTTON", L" Cancel ", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10, m_hWnd,
                             reinterpret_cast<HMENU>(kCancelId), instance, nullptr);
  SendMessageW(m_text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);
  SendMessageW(m_button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), TRUE);

  // Room for four lines of the message font, the button right-aligned below, the bar beside it.
  HDC dc = GetDC(m_hWnd);
  HGDIOBJ old = SelectObject(dc, m_font);
  RECT text{10, 10, kWidth - 20, 120};
  DrawTextW(dc, L"M\nM\nM\nM", -1, &text, DT_CALCRECT | DT_NOCLIP | DT_NOPREFIX);
  text.right = text.left + kWidth;
  SIZE label{};
  GetTextExtentPoint32W(dc, L" Cancel   ", 10, &label);
  SelectObject(dc, old);
  ReleaseDC(m_hWnd, dc);
  const int cx = GetSystemMetrics(SM_CXEDGE), cy = GetSystemMetrics(SM_CYEDGE);
  const RECT button{text.right - (label.cx + 4 * cx), text.bottom + 10, text.right,
                    text.bottom + 10 + label.cy + 4 * cy};
  const RECT bar{text.left, button.top + cy, button.left - 10, button.bottom - cy};
  RECT wanted{0, 0, (text.right - text.left) + 20, (text.bottom - text.top) + (button.bottom - button.top) + 30};
  AdjustWindowRectEx(&wanted, WS_POPUP | WS_CAPTION, FALSE, WS_EX_DLGMODALFRAME);
  const int width = wanted.right - wanted.left, height = wanted.bottom - wanted.top;
  MoveWindow(m_bar, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, TRUE);
  MoveWindow(m_button, button.left, button.top, button.right - button.left, button.bottom - button.top, TRUE);
  MoveWindow(m_text, text.left, text.top, text.right - text.left, text.bottom - text.top, TRUE);

  // The last place, if it is on the screen; else centred over the owner.
  auto [x, y] = m_store != nullptr ? m_store->LoadProgressPosition() : std::pair<int, int>{-1, -1};
  if (x < 0 || x >= GetSystemMetrics(SM_CXSCREEN) || y < 0 || y >= GetSystemMetrics(SM_CYSCREEN)) {
    RECT around{};
    if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
      GetWindowRect(owner, &around);
    } else {
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    }
    x = (around.left + around.right - width) / 2;
    y = (around.top + around.bottom - height) / 2;
  }
  SetWindowPos(m_hWnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(m_hWnd, SW_SHOWNA);
  UpdateWindow(m_hWnd);

  // Modal: the top-most enabled window of the owner chain is disabled until this one goes.
  for (HWND reached = m_hWnd, parent = GetParent(reached); parent != nullptr && IsWindowEnabled(parent);
       parent = GetParent(reached = parent)) {
    m_disabledOwner = parent;
  }
  if (m_disabledOwner != nullptr) EnableWindow(m_disabledOwner, FALSE);
}

ProgressWindow::~ProgressWindow() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
    SavePosition();
    if (m_disabledOwner != nullptr) EnableWindow(m_disabledOwner, TRUE);
    DestroyWindow(m_hWnd);
  } else if (m_disabledOwner != nullptr) {
    EnableWindow(m_disabledOwner, TRUE);
  }
  if (m_font != nullptr) DeleteObject(m_font);
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_COMMAND && LOWORD(wParam) == kCancelId) {
    self->OnCancelButton();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ProgressWindow::SetRange(int lower, int upper, int step) {
  if (m_hWnd == nullptr) return;
  SendMessageW(m_bar, PBM_SETRANGE32, lower, upper);
  m_count.SetRange(lower, upper, step);
  SendMessageW(m_bar, PBM_SETSTEP, step, 0);
}

void ProgressWindow::SetText(const std::wstring& text) {
  if (m_hWnd != nullptr) SetWindowTextW(m_text, text.c_str());
}

void ProgressWindow::SetPos(int position) {
  const bool percentChanged = m_count.MoveTo(position);
  if (m_hWnd == nullptr || !IsWindow(m_hWnd)) return;
  if (!IsWindowVisible(m_hWnd)) ShowWindow(m_hWnd, SW_SHOWNA);
  if (percentChanged) {
    wchar_t caption[600];
    std::swprintf(caption, 600, L"%ls [%d%%]", m_strCaption.c_str(), m_count.Percent());
    SetWindowTextW(m_hWnd, caption);
  }
  SendMessageW(m_bar, PBM_SETPOS, position, 0);
}

void ProgressWindow::Step() { SetPos(m_count.NextStep()); }

void ProgressWindow::Reset() {
  SetText(L"");
  SetPos(0);
  m_bCancelRequested = false;
  m_count.Restart();
  if (m_hWnd != nullptr) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void ProgressWindow::PumpMessages(bool cancelOnEsc) {
  if (m_hWnd == nullptr || !IsWindow(m_hWnd)) return;
  if (GetFocus() != m_hWnd) SetFocus(m_hWnd);
  MSG message;
  while (!m_bCancelRequested && PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (cancelOnEsc && message.message == WM_CHAR && message.wParam == VK_ESCAPE) OnCancelButton();
    if (message.message == WM_LBUTTONUP) {
      RECT button{};
      GetWindowRect(m_button, &button);
      if (PtInRect(&button, message.pt)) OnCancelButton();
    }
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) {
      PostQuitMessage(0);
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ProgressWindow::OnCancelButton() {
  SavePosition();
  m_bCancelRequested = true;
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) ShowWindow(m_hWnd, SW_HIDE);
  if (m_disabledOwner != nullptr) SetForegroundWindow(m_disabledOwner);
}

void ProgressWindow::SavePosition() const {
  if (m_store == nullptr || m_hWnd == nullptr || !IsWindow(m_hWnd)) return;
  RECT place{};
  GetWindowRect(m_hWnd, &place);
  m_store->SaveProgressPosition(place.left, place.top);
}

}  // namespace talvenor::win32
