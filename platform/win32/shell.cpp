// Desktop forms of the shell differences.
#include "shell.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
// After windows.h as well.
#include <cpl.h>

// The terminal is 32-bit: there the records must have the sizes its shell
// checks. A 64-bit build has wider handles and keeps its own sizes.
static_assert(sizeof(void*) != 4 || NOTIFYICONDATAW_V1_SIZE == 152,
              "the terminal's shell takes a tray icon record of 152 bytes");
static_assert(sizeof(void*) != 4 || sizeof(NEWCPLINFOW) == 468,
              "the terminal's control panel takes an applet description of 468 bytes");
static_assert(sizeof(void*) != 8 || NOTIFYICONDATAW_V1_SIZE == 168,
              "the 64-bit tray icon record has grown");

unsigned long TrayIconRecordSize() { return NOTIFYICONDATAW_V1_SIZE; }

unsigned long AppletInfoRecordSize() { return sizeof(NEWCPLINFOW); }

void BringWindowForward(void* window) { SetForegroundWindow(static_cast<HWND>(window)); }

bool SetCursorIsTap(long lParam) {
  const unsigned mouseMessage = HIWORD(static_cast<unsigned long>(lParam));
  return mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN ||
         mouseMessage == WM_MBUTTONDOWN;
}
