#pragma once
// The Windows program's resources come in a Japanese and an English set. Everything is looked up
// in the set chosen once at start-up, never through the thread's language, so a test can load
// both sets in one process.
#include <windows.h>

#include <string>

namespace talvenor::win32 {

// Japanese for a Japanese interface language, English for any other.
LANGID ResourceLanguageFor(LANGID userLanguage);
// The set for this user (GetUserDefaultUILanguage).
LANGID UserResourceLanguage();

const DLGTEMPLATE* DialogTemplate(int id, LANGID language);
// A modeless dialog from the template of the set; the caller destroys it.
HWND CreateDialogIn(int id, LANGID language, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR RunDialogIn(int id, LANGID language, HWND owner, DLGPROC proc, LPARAM param);
// Empty when the set has no such string.
std::wstring StringIn(int id, LANGID language);
// The caller destroys the menu.
HMENU MenuIn(int id, LANGID language);
// A device-dependent copy of the splash picture; the caller deletes it.
HBITMAP BitmapIn(int id, LANGID language);

}  // namespace talvenor::win32
