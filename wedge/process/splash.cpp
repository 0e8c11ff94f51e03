// The start-up splash: the product picture in the middle of the screen for
// five seconds, or until the first tap, whichever comes first.
#include "main_window.h"
#include "process_globals.h"
#include "resource.h"
#include "shell.h"

namespace {

enum : int { kSplashWidth = 220, kSplashHeight = 165 };
enum : UINT_PTR { kSplashTimer = 1 };
enum : UINT { kSplashMilliseconds = 5000 };

void PlaceSplash(HWND dialog) {
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kSplashWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kSplashHeight) / 2;
  SetWindowPos(dialog, HWND_TOPMOST, x, y, kSplashWidth, kSplashHeight, SWP_SHOWWINDOW);
  if (HWND picture = GetDlgItem(dialog, IDC_SPLASH_PICTURE)) {
    SetWindowPos(picture, nullptr, 0, 0, kSplashWidth, kSplashHeight, SWP_NOZORDER);
  }
  SetForegroundWindow(dialog);
}

INT_PTR CALLBACK SplashProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      g_splash = dialog;
      PlaceSplash(dialog);
      SetTimer(dialog, kSplashTimer, kSplashMilliseconds, nullptr);
      return TRUE;
    case WM_TIMER:
      KillTimer(dialog, wParam);
      DestroyWindow(dialog);
      return TRUE;
    case WM_SETCURSOR:
      if (!SetCursorIsTap(long(lParam))) return FALSE;
      DestroyWindow(dialog);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      g_splash = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND CreateSplash(HINSTANCE instance) {
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_SPLASH), nullptr, SplashProc, 0);
}
