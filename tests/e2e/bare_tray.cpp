// The baseline of the wedge's start-up benchmark: a Win32 program that does
// the least a tray program does (a hidden window and a tray icon) and then
// waits, as the wedge does, until it is closed, so that its CPU time can be
// read at the moment it is ready.
#include <windows.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = TrayWindowProc;
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
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
