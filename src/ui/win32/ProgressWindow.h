#pragma once
// The progress window of long checks on the window thread: a text, a bar and Cancel, modal over
// its owner, dispatching the thread's messages between the caller's steps. It keeps its place
// in the settings X and Y.
#include <windows.h>

#include <string>

#include "app/ProgressCount.h"

namespace talvenor {
class SettingsStore;
}

namespace talvenor::win32 {

class ProgressWindow {
 public:
  ProgressWindow(HWND owner, std::wstring title, const SettingsStore* store);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void SetRange(int lower, int upper, int step);
  void SetText(const std::wstring& text);
  void Step();
  void Reset();
  void PumpMessages(bool cancelOnEsc);
  bool CancelRequested() const { return m_bCancelRequested; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void SetPos(int position);
  void OnCancelButton();
  void SavePosition() const;

  HWND m_hWnd = nullptr;
  HWND m_text = nullptr;
  HWND m_bar = nullptr;
  HWND m_button = nullptr;
  HWND m_disabledOwner = nullptr;
  HFONT m_font = nullptr;
  const SettingsStore* m_store;
  std::wstring m_strCaption;
  bool m_bCancelRequested = false;
  ProgressCount m_count;
};

}  // namespace talvenor::win32
