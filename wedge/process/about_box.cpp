// The About box: the program's icon, name and version, and OK. Trigger keys
// are off while it is open, so a scan cannot type into it.
#include "keyboard_hook.h"
#include "main_window.h"
#include "process_globals.h"
#include "resource.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_aboutBox = dialog;
      SetForegroundWindow(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        g_aboutBox = nullptr;
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutBox() {
  RemoveKeyboardHook();
  DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_ABOUT), MainWindow, AboutProc, 0);
  InstallKeyboardHook(g_hInstance, KeyboardHookProc);
  // The dialog's owner came forward with it; send it back out of sight.
  SetWindowPos(MainWindow, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}
