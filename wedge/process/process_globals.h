// The wedge process's globals: written during start-up and shutdown (and the
// window handles by their own windows), read by every thread without a lock.
#pragma once

#include <windows.h>

#include <cstdint>

#include "counter_window.h"  // g_counterWindow

extern HINSTANCE g_hInstance;  // stored by instance set-up
extern HWND MainWindow;        // the hidden window "Sarnu"
extern uint32_t ModelCode;     // the terminal model, from DvcGetModelName

extern HMENU g_popupMenu;           // the tray menu; 0 until WM_CREATE
extern NOTIFYICONDATAW g_trayIcon;  // the record of the tray icon
extern HWND g_aboutBox;             // 0 when not shown
extern HWND g_splash;               // 0 when not shown

