// The system-wide low-level keyboard hook that turns trigger keys into
// UM_TRIGGER_KEY messages for the main window.
#pragma once

#include <windows.h>

// Installs the hook; 1 on success, 0 on failure (reported in a message box).
int InstallKeyboardHook(HINSTANCE instance, HOOKPROC procedure);

// Removes the hook if one is installed. Returns 1.
int RemoveKeyboardHook();

// The hook procedure: passes every key on unchanged.
LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam);
