// The baseline of the wedge's start-up benchmark: a Win32 program that does
// the least a tray program does (a hidden window and a tray icon) and then
// leaves its message loop at once.
#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"BareTray";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(L"BareTray", L"BareTray", 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                              nullptr);
  NOTIFYICONDATAW icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON;
  icon.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // the application icon
  Shell_NotifyIconW(NIM_ADD, &icon);
  SetEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, L"SarnuBareTrayReady"));  // the timed moment
  PostQuitMessage(0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  DestroyWindow(window);
  return 0;
}
