// The baseline of the settings start-up benchmark: a property sheet of the
// settings program's five page templates with no page code at all, started
// and shown the way SarnuSettings is.
#include <windows.h>
#include <commctrl.h>

#include "resource.h"

namespace {

INT_PTR CALLBACK EmptyPage(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const int templates[] = {IDD_FILTER_PAGE, IDD_BULK_PAGE, IDD_COMMON_PAGE, IDD_COUNTER_PAGE,
                           IDD_TRANSPARENT_PAGE};
  HPROPSHEETPAGE pages[5];
  for (int i = 0; i < 5; ++i) {
    PROPSHEETPAGEW page = {};
    page.dwSize = sizeof page;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(templates[i]);
    page.pfnDlgProc = EmptyPage;
    pages[i] = CreatePropertySheetPageW(&page);
  }
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_NOAPPLYNOW;
  header.hInstance = instance;
  header.pszCaption = L"";
  header.nPages = 5;
  header.phpage = pages;
  PropertySheetW(&header);
  return 0;
}
