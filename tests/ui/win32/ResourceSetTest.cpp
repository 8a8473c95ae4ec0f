// The resource script against the windows' tables: every control of each dialog in template
// (and so tab) order, with its id, text, place in dialog units and visibility, in both sets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resource.h"
#include "ui/win32/ResourceSet.h"

namespace talvenor::win32 {
namespace {

const LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

struct Control {
  int id;
  const wchar_t* text;  // nullptr: not compared (the icon)
  int x, y, w, h;
  bool visible = true;
};

struct DialogCase {
  const char* name;
  int id;
  LANGID language;
  const wchar_t* caption;
  int w, h;
  std::vector<Control> controls;
};

void PrintTo(const DialogCase& c, std::ostream* out) { *out << c.name; }

std::vector<Control> MainControls(bool english) {
  const int label = english ? 54 : 44, editX = english ? 61 : 51, editW = english ? 182 : 200;
  const int browseX = english ? 247 : 255, browseW = english ? 38 : 30;
  return {
      {IDC_STATIC, english ? L"Watched folder:" : L"監視フォルダ:", 4, 5, label, 8},
      {IDC_WATCHDIR, L"", editX, 5, editW, 15},
      {IDC_BROWSE_WATCH, english ? L"&Browse…" : L"参照(&D)..", browseX, 5, browseW, 15},
      {IDC_HELPBUTTON, english ? L"&Help…" : L"ヘルプ(&H)..", 288, 5, 40, 14},
      {IDC_STATIC, english ? L"Backup folder:" : L"バックアップ先", 4, 32, english ? 54 : 46, 8},
      {IDC_BACKUPDIR, L"", editX, 30, editW, 15},
      {IDC_BROWSE_BACKUP, english ? L"Brows&e…" : L"参照(&E)..", browseX, 30, browseW, 15},
      {IDC_CHANGELIST, L"List2", 7, 50, 320, 100},
      {IDC_START, english ? L"St&art" : L"開始(&A)", 6, 155, 50, 14},
      {IDC_STOP, english ? L"St&op" : L"停止(&B)", 61, 155, 50, 14},
      {IDC_SETTINGS, english ? L"&Settings…" : L"詳細設定(&M)..", 116, 155, 50, 14},
      {IDC_SHOWLOG, english ? L"Show &log…" : L"ログ表示(&L)..", 171, 155, 46, 14},
      {IDOK, english ? L"&Close" : L"閉じる(&C)", 221, 155, 50, 14},
      {IDCANCEL, english ? L"&Quit" : L"終了(&Q)", 276, 155, 50, 14},
      {IDC_WRITETEST, L"書き込みtest", 290, 30, 15, 10, false},
      {IDC_READTEST, L"読み込みtest", 305, 30, 15, 10, false},
      {IDC_READSNAPSHOT, L"読み込み2", 295, 35, 15, 10, false},
      {IDC_HIDDENLIST, L"", 300, 35, 20, 10, false},
  };
}

std::vector<Control> SettingsControls(bool english) {
  struct Radio {
    int id;
    const wchar_t *ja, *en;
    int x, y, w, enX, enW;
  };
  const Radio radios[4][3] = {
      {{IDC_LOGSZ_100, L"1", L"100 KB", 10, 15, 20, 10, 39},
       {IDC_LOGSZ_1000, L"10", L"1 MB", 46, 15, 24, 50, 39},
       {IDC_LOGSZ_10000, L"100", L"10 MB", 82, 15, 28, 90, 39}},
      {{IDC_LEVEL_1, L"1", L"1 s", 10, 45, 20, 10, 39},
       {IDC_LEVEL_10, L"10", L"10 s", 46, 45, 24, 50, 39},
       {IDC_LEVEL_60, L"100", L"60 s", 82, 45, 28, 90, 39}},
      {{IDC_BAKSZ_10, L"10", L"10", 10, 75, 24, 10, 24},
       {IDC_BAKSZ_100, L"100", L"100", 46, 75, 28, 46, 28},
       {IDC_BAKSZ_1000, L"1000", L"1000", 82, 75, 32, 82, 32}},
      {{IDC_FIRST_ALL, L"する", L"All files", 10, 105, 30, 10, 40},
       {IDC_FIRST_CHANGED, L"しない", L"Changes only", 65, 105, 36, 65, 62},
       {0, nullptr, nullptr, 0, 0, 0, 0, 0}},
  };
  const int boxes[4] = {IDC_LOGSZ_BOX, IDC_LEVEL_BOX, IDC_BAKSZ_BOX, IDC_FIRST_BOX};
  const wchar_t* boxJa[4] = {L"ログの長さ", L"監視レベル", L"バックアップ数", L"初回バックアップ"};
  const wchar_t* boxEn[4] = {L"Log size", L"Check interval", L"Backups kept", L"First backup"};
  std::vector<Control> controls = {{IDOK, L"OK", 150, 10, 50, 14},
                                   {IDCANCEL, english ? L"Cancel" : L"ｷｬﾝｾﾙ", 150, 30, 50, 14}};
  for (int row = 0; row < 4; ++row) {
    controls.push_back({boxes[row], english ? boxEn[row] : boxJa[row], 5, 5 + 30 * row, 135, 25});
    for (const Radio& r : radios[row]) {
      if (r.id == 0) continue;
      controls.push_back({r.id, english ? r.en : r.ja, english ? r.enX : r.x, r.y, english ? r.enW : r.w, 10});
    }
  }
  return controls;
}

std::vector<Control> AboutControls() {
  return {{IDC_STATIC, nullptr, 11, 17, 20, 20},
          {IDC_STATIC, L"Talvenor Version 1.0", 40, 10, 119, 8},
          {IDC_STATIC, L"Copyright (C) QUORVATH", 40, 25, 119, 8},
          {IDOK, L"OK", 178, 7, 50, 14}};
}

std::wstring Text(HWND window) {
  std::wstring text(GetWindowTextLengthW(window) + 1, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class DialogTemplates : public testing::TestWithParam<DialogCase> {};

TEST_P(DialogTemplates, HoldTheirControlsInOrderInPlace) {
  const DialogCase& c = GetParam();
  HWND dialog = CreateDialogIn(c.id, c.language, nullptr, Quiet, 0);
  ASSERT_NE(dialog, nullptr) << GetLastError();
  EXPECT_EQ(Text(dialog), c.caption);
  RECT size{0, 0, c.w, c.h};
  MapDialogRect(dialog, &size);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  HWND child = GetWindow(dialog, GW_CHILD);
  for (size_t i = 0; i < c.controls.size(); ++i, child = GetWindow(child, GW_HWNDNEXT)) {
    const Control& want = c.controls[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " (id " << want.id << ")");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), want.id);
    if (want.text != nullptr) {
      EXPECT_EQ(Text(child), want.text);
    }
    // Windows converts a place and a size each on its own, as the template holds them.
    RECT place{want.x, want.y, want.w, want.h};
    MapDialogRect(dialog, &place);
    place.right += place.left;
    place.bottom += place.top;
    RECT actual{};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, place.left);
    EXPECT_EQ(actual.top, place.top);
    // A static icon takes the icon's own size.
    if (want.text != nullptr) {
      EXPECT_EQ(actual.right, place.right);
      EXPECT_EQ(actual.bottom, place.bottom);
    }
    EXPECT_EQ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0, want.visible);
  }
  EXPECT_EQ(child, nullptr) << "more controls than the table";
  DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(
    BothSets, DialogTemplates,
    testing::Values(DialogCase{"main_ja", IDD_MONITOR, kJapanese, L"Talvenor", 334, 175, MainControls(false)},
                    DialogCase{"main_en", IDD_MONITOR, kEnglish, L"Talvenor", 334, 175, MainControls(true)},
                    DialogCase{"settings_ja", IDD_SETTINGS, kJapanese, L"詳細設定", 204, 136, SettingsControls(false)},
                    DialogCase{"settings_en", IDD_SETTINGS, kEnglish, L"Settings", 204, 136, SettingsControls(true)},
                    DialogCase{"about_ja", IDD_ABOUTBOX, kJapanese, L"Talvenorのﾊﾞｰｼﾞｮﾝ情報", 235, 55, AboutControls()},
                    DialogCase{"about_en", IDD_ABOUTBOX, kEnglish, L"About Talvenor", 235, 55, AboutControls()}),
    [](const testing::TestParamInfo<DialogCase>& info) { return info.param.name; });

TEST(ResourceSet, TrayMenuStringsAndSplashInBothSets) {
  struct {
    LANGID language;
    const wchar_t *start, *stop, *quit, *about, *column;
  } const sets[] = {{kJapanese, L"開始", L"停止", L"終了", L"Talvenor のﾊﾞｰｼﾞｮﾝ情報(&A)...", L"バックアップ先"},
                    {kEnglish, L"Start", L"Stop", L"Quit", L"&About Talvenor…", L"Backup copy"}};
  for (const auto& set : sets) {
    SCOPED_TRACE(set.language);
    HMENU menu = MenuIn(IDR_TRAYMENU, set.language);
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 3);
    const int ids[3] = {ID_TRAY_START, ID_TRAY_STOP, ID_TRAY_QUIT};
    const wchar_t* texts[3] = {set.start, set.stop, set.quit};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, i)), ids[i]);
      wchar_t text[32] = {};
      GetMenuStringW(popup, i, text, 32, MF_BYPOSITION);
      EXPECT_STREQ(text, texts[i]);
      EXPECT_EQ((GetMenuState(popup, i, MF_BYPOSITION) & MF_GRAYED) != 0, i == 0);
    }
    DestroyMenu(menu);

    EXPECT_EQ(StringIn(IDS_ABOUTBOX, set.language), set.about);
    EXPECT_EQ(StringIn(IDS_COLUMN_BACKUP, set.language), set.column);
    EXPECT_FALSE(StringIn(IDS_TIP + IDC_FIRST_CHANGED, set.language).empty());
    EXPECT_TRUE(StringIn(IDS_TIP + IDC_WRITETEST, set.language).empty());

    HBITMAP splash = BitmapIn(IDB_SPLASH, set.language);
    ASSERT_NE(splash, nullptr);
    BITMAP picture{};
    GetObjectW(splash, sizeof picture, &picture);
    EXPECT_EQ(picture.bmWidth, 500);
    EXPECT_EQ(picture.bmHeight, 347);
    DeleteObject(splash);
  }
  EXPECT_NE(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 32, 32, 0), nullptr);
}

TEST(ResourceSet, JapaneseOnlyForAJapaneseInterface) {
  const struct {
    LANGID user, set;
  } cases[] = {{MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), kJapanese},
               {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), kEnglish},
               {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK), kEnglish},
               {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), kEnglish},
               {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), kEnglish},
               {MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), kEnglish}};
  for (const auto& c : cases) EXPECT_EQ(ResourceLanguageFor(c.user), c.set) << std::hex << c.user;
}

}  // namespace
}  // namespace talvenor::win32
