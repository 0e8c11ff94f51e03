// Storage of the wedge process's globals.
#include "process_globals.h"

HINSTANCE g_hInstance = nullptr;
HWND MainWindow = nullptr;
uint32_t ModelCode = 0;

HMENU g_popupMenu = nullptr;
NOTIFYICONDATAW g_trayIcon = {};
HWND g_aboutBox = nullptr;
HWND g_splash = nullptr;
