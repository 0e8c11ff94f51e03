// The main window's procedure: a shallow switch, one small function per
// message. Trigger keys, reader data and every reader request of the other
// threads arrive here, so reader control happens on this one thread.
#include "main_window.h"

#include <shellapi.h>

#include "counter_window.h"
#include "key_output.h"
#include "notifications.h"
#include "process_globals.h"
#include "reader_input.h"
#include "resource.h"
#include "scan_device.h"
#include "settings_watch.h"
#include "setup_programs.h"
#include "shell.h"
#include "stage_stamps.h"
#include "trigger_rules.h"
#include "wedge_messages.h"

static_assert(IDD_COUNTER == kCounterDialogId, "the counter's dialog is the one in Sarnu.rc");

namespace {

void BuildPopupMenu() {
  if (g_popupMenu) DestroyMenu(g_popupMenu);
  g_popupMenu = CreatePopupMenu();
  // The trailing blanks belong to the texts: keep them.
  AppendMenuW(g_popupMenu, MF_STRING, IDM_EXTENSION, L"Extension");
  AppendMenuW(g_popupMenu, MF_STRING, IDM_SETTING, L"Setting  ");
  AppendMenuW(g_popupMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(g_popupMenu, MF_STRING, IDM_ABOUT, L"About   ");
  AppendMenuW(g_popupMenu, MF_STRING, IDM_EXIT, L"Exit     ");
}

void AddTrayIcon(HWND window) {
  // Model 13's task bar shows the icon at 32 pixels; every other model's at 16.
  const int size = ModelCode == 13 ? 32 : 16;
  g_trayIcon = NOTIFYICONDATAW{};
  g_trayIcon.cbSize = TrayIconRecordSize();
  g_trayIcon.hWnd = window;
  g_trayIcon.uID = 1;
  g_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON;
  g_trayIcon.uCallbackMessage = UM_TRAY_NOTIFY;
  g_trayIcon.hIcon = static_cast<HICON>(
      LoadImageW(g_hInstance, MAKEINTRESOURCEW(IDI_SARNU), IMAGE_ICON, size, size, 0));
  Shell_NotifyIconW(NIM_ADD, &g_trayIcon);
}

LRESULT OnCreate(HWND window) {
  MainWindow = window;
  AddTrayIcon(window);
  g_popupMenu = nullptr;
  BuildPopupMenu();
  // Handled once the loop runs, after the reader object exists.
  PostMessageW(window, UM_ACTIVATE_READER, 0, 0);
  return 0;
}

LRESULT OnDestroy() {
  StopOutputForExit();
  if (g_popupMenu) {
    DestroyMenu(g_popupMenu);
    g_popupMenu = nullptr;
  }
  if (g_scanDevice) g_scanDevice->Deactivate();
  Shell_NotifyIconW(NIM_DELETE, &g_trayIcon);
  if (g_trayIcon.hIcon) {
    DestroyIcon(g_trayIcon.hIcon);
    g_trayIcon.hIcon = nullptr;
  }
  PostQuitMessage(0);
  return 0;
}

void ShowTrayMenu() {
  if (g_aboutBox) {
    SetForegroundWindow(g_aboutBox);
    return;
  }
  // Alt held: the tap belongs to a system gesture, not to the menu.
  if (GetAsyncKeyState(VK_MENU) & 0x8000) return;
  if (g_splash) {
    DestroyWindow(g_splash);
    g_splash = nullptr;
  }
  TrackPopupMenuEx(g_popupMenu, TPM_RIGHTALIGN | TPM_BOTTOMALIGN,
                   GetSystemMetrics(SM_CXSCREEN) - 70, GetSystemMetrics(SM_CYSCREEN) - 26,
                   MainWindow, nullptr);
}

// Trigger keys down now, by virtual key. A held key repeats, and every
// repeat arrives as another key-down: taken as a new pull it would read the
// same barcode again outside bulk mode, and in toggle mode stop the scan the
// first press started. Only the first key-down after a release counts.
bool g_triggerHeld[256];

// Key-ups that the wedge did not see (while the About box had the hook off,
// or while the reader was off and no key was a trigger) must not leave a
// key marked as held.
void ForgetHeldTriggers() {
  for (bool& held : g_triggerHeld) held = false;
}

void OnTriggerKeyEvent(unsigned virtualKey, bool down) {
  bool& held = g_triggerHeld[virtualKey & 0xFF];
  if (!down) {
    held = false;
    OnTriggerReleased();
    return;
  }
  if (held) return;
  held = true;
  OnTriggerPressed();
}

// Hardware trigger keys registered as hot keys by the terminal: identifiers
// below 8, the key in the high word, MOD_KEYUP for a release.
void OnHotKey(WPARAM identifier, LPARAM lParam) {
  if (identifier >= 8) return;
  OnTriggerKeyEvent(HIWORD(lParam), (lParam & 0x1000) == 0);
}

// From the keyboard hook: wParam 1 down, 0 up; lParam the key.
void OnTriggerKey(WPARAM down, LPARAM virtualKey) {
  OnTriggerKeyEvent(unsigned(virtualKey), down != 0);
}

// Returns false for identifiers that are not the main window's own.
bool OnCommand(HWND window, WORD command) {
  switch (command) {
    case IDM_EXIT:
      DestroyWindow(window);
      return true;
    case IDM_ABOUT:
      ShowAboutBox();
      ForgetHeldTriggers();
      return true;
    case IDM_SETTING:
    case IDM_EXTENSION:
      RunSetupProgram(command);
      ForgetHeldTriggers();
      return true;
    default:
      return false;
  }
}

// The first activation after start-up; bulk toggling is watched from then on.
void OnActivateReader() {
  StampStage(kStartActivating);
  if (g_scanDevice) g_scanDevice->Activate();
  StartToggleBulkModeThread();
}

// The client requests of the DataReader protocol. A start while open and a
// stop while closed change nothing, so they signal nothing either.
// Whatever the reader becomes, the next press is a new pull: a key-up that
// came while the request was handled must not leave the key marked held.
void OnReaderStart() {
  if (g_scanDevice) g_scanDevice->Activate();
  ForgetHeldTriggers();
}

void OnReaderStop() {
  EndBulkScanFromOutside();
  if (g_scanDevice) g_scanDevice->Deactivate();
  ForgetHeldTriggers();
}

void OnReaderCamMode() {
  EndBulkScanFromOutside();
  if (g_scanDevice) g_scanDevice->EnterCamMode();
  ForgetHeldTriggers();
}

// A laser read ended its aimer pause: back to aiming.
void OnAimerOn() {
  if (g_scanDevice) g_scanDevice->SwitchAimerMode(1);
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window);
    case WM_DESTROY:
      return OnDestroy();
    case WM_COMMAND:
      if (OnCommand(window, LOWORD(wParam))) return 0;
      break;
    case WM_HOTKEY:
      OnHotKey(wParam, lParam);
      return 0;
    case UM_TRIGGER_KEY:
      OnTriggerKey(wParam, lParam);
      return 0;
    case UM_LZR_READ:
      if (wParam == 1 && g_scanDevice) ReadLaserBarcodes(*g_scanDevice);
      return 0;
    case UM_CREATE_COUNTER:
      CreateCounterWindow();
      return 0;
    case UM_AIMER_ON:
      OnAimerOn();
      return 0;
    case UM_ACTIVATE_READER:
      OnActivateReader();
      return 0;
    case UM_READER_START:
      OnReaderStart();
      return 0;
    case UM_READER_STOP:
      OnReaderStop();
      return 0;
    case UM_READER_CAMMODE:
      OnReaderCamMode();
      return 0;
    case UM_TOGGLE_BULK:
      ToggleBulkMode();
      return 0;
    case UM_SETTINGS_CHANGED:
      OnSettingsFileChanged();
      return 0;
    case WM_TIMER:
      if (wParam != kSettingsRetryTimer) break;
      OnSettingsFileChanged();
      return 0;
    case UM_TRAY_NOTIFY:
      if (lParam == WM_LBUTTONDOWN) ShowTrayMenu();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
