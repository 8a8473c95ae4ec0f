#include "ui/win32/ResourceSet.h"

namespace talvenor::win32 {
namespace {

const void* FindIn(LPCWSTR type, int id, LANGID language, DWORD* size = nullptr) {
  const HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
  // The icon and the manifest are the same in both sets.
  if (found == nullptr)
    found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  if (found == nullptr) return nullptr;
  if (size != nullptr) *size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  return loaded == nullptr ? nullptr : LockResource(loaded);
}

}  // namespace

LANGID ResourceLanguageFor(LANGID userLanguage) {
  return PRIMARYLANGID(userLanguage) == LANG_JAPANESE ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                                      : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

LANGID UserResourceLanguage() { return ResourceLanguageFor(GetUserDefaultUILanguage()); }

const DLGTEMPLATE* DialogTemplate(int id, LANGID language) {
  return static_cast<const DLGTEMPLATE*>(FindIn(RT_DIALOG, id, language));
}

HWND CreateDialogIn(int id, LANGID language, HWND owner, DLGPROC proc, LPARAM param) {
  const DLGTEMPLATE* resource = DialogTemplate(id, language);
  if (resource == nullptr) return nullptr;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), resource, owner, proc, param);
}

INT_PTR RunDialogIn(int id, LANGID language, HWND owner, DLGPROC proc, LPARAM param) {
  const DLGTEMPLATE* resource = DialogTemplate(id, language);
  if (resource == nullptr) return -1;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), resource, owner, proc, param);
}

std::wstring StringIn(int id, LANGID language) {
  // Strings are kept sixteen to a block, each counted in UTF-16 units.
  DWORD size = 0;
  const auto* text = static_cast<const WCHAR*>(FindIn(RT_STRING, id / 16 + 1, language, &size));
  if (text == nullptr) return {};
  const WCHAR* end = text + size / sizeof(WCHAR);
  for (int i = 0; i < id % 16; ++i) {
    if (text >= end) return {};
    text += 1 + *text;
  }
  if (text >= end || text + 1 + *text > end) return {};
  return std::wstring(text + 1, *text);
}

HMENU MenuIn(int id, LANGID language) {
  const void* resource = FindIn(RT_MENU, id, language);
  return resource == nullptr ? nullptr : LoadMenuIndirectW(resource);
}

HBITMAP BitmapIn(int id, LANGID language) {
  const auto* info = static_cast<const BITMAPINFO*>(FindIn(RT_BITMAP, id, language));
  if (info == nullptr) return nullptr;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  DWORD colours = header.biClrUsed;
  if (colours == 0 && header.biBitCount <= 8) colours = 1u << header.biBitCount;
  const auto* bits = reinterpret_cast<const BYTE*>(info) + header.biSize + colours * sizeof(RGBQUAD);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, bits, info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace talvenor::win32
