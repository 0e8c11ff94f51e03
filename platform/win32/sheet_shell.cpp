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

// Room for one digit of the buddy's font, its margins and its border.
int DigitRoom(HWND edit) {
  HDC dc = GetDC(edit);
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = SelectObject(dc, font);
  SIZE digit = {};
  GetTextExtentPoint32W(dc, L"0", 1, &digit);
  SelectObject(dc, previous);
  ReleaseDC(edit, dc);
  const DWORD margins = DWORD(SendMessageW(edit, EM_GETMARGINS, 0, 0));
  return digit.cx + LOWORD(margins) + HIWORD(margins) + 2;
}

RECT RectOnParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// An up-down aligned to its buddy's right edge takes its width from the
// buddy; it gives back what the buddy needs for a digit, keeping a few
// pixels for its arrows.
BOOL CALLBACK FitUpDown(HWND control, LPARAM) {
  wchar_t type[32];
  if (!GetClassNameW(control, type, 32) || lstrcmpiW(type, UPDOWN_CLASSW) != 0) return TRUE;
  if (!(GetWindowLongW(control, GWL_STYLE) & UDS_ALIGNRIGHT)) return TRUE;
  HWND buddy = reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
  if (!buddy) return TRUE;
  RECT client;
  GetClientRect(buddy, &client);
  const RECT spin = RectOnParent(control);
  const RECT edit = RectOnParent(buddy);
  const int spinWidth = spin.right - spin.left;
  int missing = DigitRoom(buddy) - client.right;
  if (missing > spinWidth - 8) missing = spinWidth - 8;
  if (missing <= 0) return TRUE;
  SetWindowPos(buddy, nullptr, 0, 0, edit.right - edit.left + missing, edit.bottom - edit.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(control, nullptr, spin.left + missing, spin.top, spinWidth - missing,
               spin.bottom - spin.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

}  // namespace

void FitPageToFont(void* page) { EnumChildWindows(static_cast<HWND>(page), FitUpDown, 0); }

bool FitCounterPreview() { return true; }

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
