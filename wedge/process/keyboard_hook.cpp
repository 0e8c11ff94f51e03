// The keyboard hook, for now only its calls: start-up, the About box and exit
// install and remove it, and nothing is hooked until trigger keys are read.
#include "keyboard_hook.h"

int InstallKeyboardHook(HINSTANCE, HOOKPROC) { return 1; }

int RemoveKeyboardHook() { return 1; }

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
