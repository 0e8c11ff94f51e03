// The settings program's shared page pieces that need no second process:
// the colour distance at the readability boundary, the combo-box filler
// with a missing or unreadable text, and the counter-type page exchange
// when the new page cannot be made.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "page_support.h"
#include "settings_app/resource.h"
#include "settings.h"
#include "settings_sheet.h"

namespace {

TEST(SettingsPages, ColorDistanceAtTheReadabilityBoundary) {
  struct Row {
    RgbColor a, b;
    double distance;
    bool hardToRead;
  } rows[] = {
      {{200, 200, 200}, {255, 255, 255}, 95.26, true},
      {{0, 255, 0}, {0, 0, 0}, 255.0, false},
      {{100, 0, 0}, {0, 0, 0}, 100.0, false},  // exactly the limit reads well
      {{60, 80, 0}, {0, 0, 0}, 100.0, false},
      {{0, 0, 0}, {255, 255, 255}, 441.67, false},
      {{7, 7, 7}, {7, 7, 7}, 0.0, true},
  };
  for (const Row& r : rows) {
    const double d = ColorDistance(r.a, r.b);
    EXPECT_NEAR(r.distance, d, 0.005);
    EXPECT_EQ(d, ColorDistance(r.b, r.a));
    EXPECT_EQ(r.hardToRead, d < kHardToReadColorDistance) << r.distance;
  }
}

TEST(SettingsPages, FillComboBoxStopsAtAMissingOrUnreadableTextAndStillSelects) {
  HWND parent = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  HWND combo = CreateWindowW(L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 10, 50, parent,
                             reinterpret_cast<HMENU>(5), nullptr, nullptr);
  ASSERT_TRUE(combo);
  const wchar_t* unreadable = reinterpret_cast<const wchar_t*>(0x10);
  struct Row {
    int count;
    const wchar_t *one, *two, *three;
    int result, items;
  } rows[] = {
      {3, L"7", L"8", L"9", 1, 3},
      {3, L"7", nullptr, L"9", 0, 1},
      {2, unreadable, L"8", nullptr, 0, 0},
  };
  for (const Row& r : rows) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(r.result, FillComboBox(parent, 5, 0, r.count, r.one, r.two, r.three));
    EXPECT_EQ(r.items, SendMessageW(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(r.items ? 0 : CB_ERR, SendMessageW(combo, CB_GETCURSEL, 0, 0));
  }
  DestroyWindow(parent);
}

INT_PTR CALLBACK PlainPage(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

TEST(SettingsPages, CounterPageExchangeKeepsThePreviousPageWhenTheNewOneCannotBeMade) {
  wchar_t program[MAX_PATH];
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  lstrcpyW(wcsrchr(program, L'\\') + 1, L"SarnuSettings.exe");
  AppInstance = LoadLibraryExW(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(AppInstance) << "SarnuSettings.exe beside the tests";

  PROPSHEETPAGEW page = {};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_USETITLE;
  page.hInstance = AppInstance;
  page.pszTemplate = MAKEINTRESOURCEW(IDD_TRANSPARENT_PAGE);
  page.pfnDlgProc = PlainPage;
  page.pszTitle = L"Transp. Counter";
  CounterPageHandle = CreatePropertySheetPageW(&page);
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS;
  header.nPages = 1;
  header.phpage = &CounterPageHandle;
  SheetWindow = reinterpret_cast<HWND>(PropertySheetW(&header));
  ASSERT_TRUE(SheetWindow);
  HWND tabs = PropSheet_GetTabControl(SheetWindow);
  const HPROPSHEETPAGE before = CounterPageHandle;

  EXPECT_FALSE(SwapCounterPage(9999, PlainPage, L"Solid Counter"));
  EXPECT_EQ(before, CounterPageHandle);
  EXPECT_EQ(1, TabCtrl_GetItemCount(tabs));

  EXPECT_TRUE(SwapCounterPage(IDD_SOLID_PAGE, PlainPage, L"Solid Counter"));
  EXPECT_NE(before, CounterPageHandle);
  EXPECT_EQ(1, TabCtrl_GetItemCount(tabs));
  wchar_t title[32] = L"";
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = title;
  item.cchTextMax = 32;
  SendMessageW(tabs, TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(L"Solid Counter", title);

  DestroyWindow(SheetWindow);
  SheetWindow = nullptr;
  FreeLibrary(AppInstance);
  AppInstance = nullptr;
}

}  // namespace
