// The terminal's forms of the shell differences.
#include "shell.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
// After windows.h as well.
#include <cpl.h>

static_assert(sizeof(void*) == 4, "the terminal is 32-bit");
static_assert(NOTIFYICONDATAW_V1_SIZE == 152,
              "the terminal's shell takes a tray icon record of 152 bytes");
static_assert(sizeof(NEWCPLINFOW) == 468,
              "the terminal's control panel takes an applet description of 468 bytes");

unsigned long TrayIconRecordSize() { return NOTIFYICONDATAW_V1_SIZE; }

unsigned long AppletInfoRecordSize() { return sizeof(NEWCPLINFOW); }

// The lowest bit asks the terminal to bring the window's owned windows
// forward with it.
void BringWindowForward(void* window) {
  SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(window) | 1));
}

// The terminal sends WM_SETCURSOR only for a tap on the screen.
bool SetCursorIsTap(long) { return true; }
