// The system-wide low-level keyboard hook that turns trigger keys into
// UM_TRIGGER_KEY messages for the main window.
#pragma once

#include <windows.h>

// Loads the platform's hook module, looks up its three hook functions and
// sets a WH_KEYBOARD_LL hook for all threads. 1 on success; 0 on failure,
// reported in a box ("Error") except when the module lacks
// SetWindowsHookExW. A hook that is already installed is removed first, so
// a second installation never stacks a hook or a module reference. A failed
// installation leaves no working hook: if the hook was set but could not be
// taken off again (no UnhookWindowsHookEx), it only passes keys on, and
// later installations give 0 without a box while it stays.
// The hook is called on the installing thread, which must pump messages.
int InstallKeyboardHook(HINSTANCE instance, HOOKPROC procedure);

// Removes the hook and frees the module. Returns 1. A hook that cannot be
// unhooked stays, and so does the module that its functions belong to.
int RemoveKeyboardHook();

// The hook procedure: passes every key on unchanged; for a trigger key of
// g_scanDevice (virtual key below 255) posts UM_TRIGGER_KEY to MainWindow,
// wParam 1 on WM_KEYDOWN and 0 on WM_KEYUP, lParam the virtual key. System
// keys (WM_SYSKEYDOWN, WM_SYSKEYUP) post nothing. Returns what
// CallNextHookEx returns, or 0 when that function was not found.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);

// The hook currently set, 0 when none; for tests.
HHOOK KeyboardHookHandle();
