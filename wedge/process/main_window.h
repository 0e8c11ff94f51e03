// The wedge's hidden main window "Sarnu": the tray icon and its menu, and the
// one place where reader control runs on the UI thread.
#pragma once

#include <windows.h>

// Class name and title of the main window.
inline constexpr wchar_t kMainWindowName[] = L"Sarnu";

// The window procedure of class "Sarnu".
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The About box (dialog 103), modal; the keyboard hook is off meanwhile.
void ShowAboutBox();

// The splash (dialog 106), modeless and without owner; its handle is in
// g_splash until it closes itself.
HWND CreateSplash(HINSTANCE instance);
