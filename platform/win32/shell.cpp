// Desktop forms of the shell differences.
#include "shell.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

unsigned long TrayIconRecordSize() { return NOTIFYICONDATAW_V1_SIZE; }

void BringWindowForward(void* window) { SetForegroundWindow(static_cast<HWND>(window)); }

bool SetCursorIsTap(long lParam) {
  const unsigned mouseMessage = HIWORD(static_cast<unsigned long>(lParam));
  return mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN ||
         mouseMessage == WM_MBUTTONDOWN;
}
