// Where the low-level keyboard hook functions come from. The wedge never
// imports them: CE exports them from "coredll.dll", the desktop from
// "user32.dll", and the wedge loads the module and looks them up by name.
#pragma once

// The module that exports SetWindowsHookExW, CallNextHookEx and
// UnhookWindowsHookEx: "user32.dll" on the desktop, "coredll.dll" on CE.
const wchar_t* HookFunctionsModule();

// The address of export `name` of a loaded module (an HMODULE), or null when
// the module has no such export. CE looks names up as wide text, the desktop
// as narrow; callers give the narrow name either way.
void* HookFunctionAddress(void* module, const char* name);

// Lets a test load another module or hide exports. A null module or lookup
// puts back the system's own; both null undo every override.
typedef void* (*HookFunctionLookup)(void* module, const char* name);
void OverrideHookFunctions(const wchar_t* module, HookFunctionLookup lookup);
