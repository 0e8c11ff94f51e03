// The keyboard hook: the hook functions are looked up at run time in the
// platform's module, never imported, and nothing calls one that was not
// found. Install, remove and the hook procedure all run on the UI thread.
#include "keyboard_hook.h"

#include "hook_functions.h"
#include "process_globals.h"
#include "scan_device.h"
#include "wedge_messages.h"

namespace {

typedef HHOOK(WINAPI* SetWindowsHookExFunction)(int, HOOKPROC, HINSTANCE, DWORD);
typedef LRESULT(WINAPI* CallNextHookExFunction)(HHOOK, int, WPARAM, LPARAM);
typedef BOOL(WINAPI* UnhookWindowsHookExFunction)(HHOOK);

// All 0 while no hook is installed.
HMODULE g_hookModule = nullptr;
SetWindowsHookExFunction g_setWindowsHookEx = nullptr;
CallNextHookExFunction g_callNextHookEx = nullptr;
UnhookWindowsHookExFunction g_unhookWindowsHookEx = nullptr;
HHOOK g_keyboardHook = nullptr;
// Set only by a complete installation: a hook left behind by a failed one
// must not start scans, or the About box could not keep trigger keys off.
int g_hookWorking = 0;

template <typename Function>
Function LookUp(const char* name) {
  return reinterpret_cast<Function>(HookFunctionAddress(g_hookModule, name));
}

int Fail(const wchar_t* text) {
  MessageBoxW(nullptr, text, L"Error", MB_OK);
  return 0;
}

void ForgetModule() {
  if (g_hookModule) FreeLibrary(g_hookModule);
  g_hookModule = nullptr;
  g_setWindowsHookEx = nullptr;
  g_callNextHookEx = nullptr;
  g_unhookWindowsHookEx = nullptr;
}

void PostTriggerKey(WPARAM wParam, LPARAM lParam) {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (!key || !g_scanDevice || !MainWindow) return;
  const DWORD vk = key->vkCode;
  // The table has rows for the keys below its size only.
  if (vk >= static_cast<DWORD>(kTriggerKeyTableSize)) return;
  if (!g_scanDevice->IsTriggerKey(static_cast<int>(vk))) return;
  if (wParam == WM_KEYDOWN) {
    PostMessageW(MainWindow, UM_TRIGGER_KEY, 1, vk);
  } else if (wParam == WM_KEYUP) {
    PostMessageW(MainWindow, UM_TRIGGER_KEY, 0, vk);
  }
}

}  // namespace

int InstallKeyboardHook(HINSTANCE instance, HOOKPROC procedure) {
  RemoveKeyboardHook();
  // A hook that could not be taken off is still there; a second one beside
  // it would see every key twice. Its failure was reported when it happened.
  if (g_keyboardHook) return 0;

  g_hookModule = LoadLibraryW(HookFunctionsModule());
  if (!g_hookModule) return Fail(L"Can't Load coredll");
  g_setWindowsHookEx = LookUp<SetWindowsHookExFunction>("SetWindowsHookExW");
  if (!g_setWindowsHookEx) {
    ForgetModule();
    return 0;
  }
  g_keyboardHook = g_setWindowsHookEx(WH_KEYBOARD_LL, procedure, instance, 0);
  if (!g_keyboardHook) {
    ForgetModule();
    return Fail(L"Can't Set Hook");
  }
  g_callNextHookEx = LookUp<CallNextHookExFunction>("CallNextHookEx");
  if (!g_callNextHookEx) {
    // A hook that cannot pass keys on would keep them from every hook set
    // before it; take it off again while the box is up, if the module lets us.
    g_unhookWindowsHookEx = LookUp<UnhookWindowsHookExFunction>("UnhookWindowsHookEx");
    RemoveKeyboardHook();
    return Fail(L"Can't Call Hook");
  }
  g_unhookWindowsHookEx = LookUp<UnhookWindowsHookExFunction>("UnhookWindowsHookEx");
  if (!g_unhookWindowsHookEx) return Fail(L"Can't Unhook Hook");
  g_hookWorking = 1;
  return 1;
}

int RemoveKeyboardHook() {
  g_hookWorking = 0;
  if (g_keyboardHook) {
    // Asked again: one failed lookup is no reason to leave the hook on for good.
    if (!g_unhookWindowsHookEx) {
      g_unhookWindowsHookEx = LookUp<UnhookWindowsHookExFunction>("UnhookWindowsHookEx");
    }
    // The hook stays, and with it the module that CallNextHookEx lives in.
    if (!g_unhookWindowsHookEx) return 1;
    g_unhookWindowsHookEx(g_keyboardHook);
    g_keyboardHook = nullptr;
  }
  ForgetModule();
  return 1;
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && g_hookWorking) PostTriggerKey(wParam, lParam);
  // Without CallNextHookEx the key still reaches the application (a
  // low-level hook that gives 0 lets it through); only later hooks miss it.
  if (!g_callNextHookEx) return 0;
  return g_callNextHookEx(g_keyboardHook, code, wParam, lParam);
}

HHOOK KeyboardHookHandle() { return g_keyboardHook; }
