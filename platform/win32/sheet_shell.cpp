// Desktop form of the settings sheet's shell: a real menu bar, a sheet that
// covers the screen the way the terminal shows it, and no terminal notices.
#include "sheet_shell.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace {

// The desktop sheet's own buttons (OK, Cancel, Apply, Help); the terminal's
// sheet has none, its soft keys carry Save and Cancel.
const int kSheetButtons[] = {IDOK, IDCANCEL, 0x3021, 0x0009};

}  // namespace

unsigned long SheetHeaderFlags() { return PSH_NOAPPLYNOW; }

bool CreateSheetMenuBar(void* sheet, void* instance, int menuId) {
  HMENU menu = LoadMenuW(static_cast<HINSTANCE>(instance), MAKEINTRESOURCEW(menuId));
  if (!menu) return false;
  if (!SetMenu(static_cast<HWND>(sheet), menu)) {
    DestroyMenu(menu);
    return false;
  }
  return true;
}

void FillScreenWithSheet(void* sheet) {
  HWND window = static_cast<HWND>(sheet);
  for (int id : kSheetButtons) {
    if (HWND button = GetDlgItem(window, id)) ShowWindow(button, SW_HIDE);
  }
  // The template's frame bits were cleared before creation; a sheet that
  // put them back gets them taken off here.
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  SetWindowLongPtrW(window, GWL_STYLE, style & ~LONG_PTR(SheetStyleBitsToClear()));
  SetWindowPos(window, HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
               GetSystemMetrics(SM_CYSCREEN), SWP_FRAMECHANGED);
  // The desktop sizes the tabs for its own frame and margins; on a screen
  // as narrow as the page they would run past its edge.
  HWND tabs = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETTABCONTROL, 0, 0));
  RECT client, tab;
  GetClientRect(window, &client);
  if (tabs && GetWindowRect(tabs, &tab)) {
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tab), 2);
    if (tab.right > client.right) {
      SetWindowPos(tabs, nullptr, 0, 0, client.right - tab.left, tab.bottom - tab.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

unsigned long SheetStyleBitsToClear() { return WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME; }

SheetNotice ClassifySheetNotice(unsigned message) {
  switch (message) {
    case PSCB_INITIALIZED:
      return SheetNotice::Initialized;
    case PSCB_PRECREATE:
      return SheetNotice::PreCreate;
    default:
      return SheetNotice::Other;
  }
}

bool TextIsReadable(const wchar_t* text, unsigned units) {
  return !IsBadStringPtrW(text, units);
}
