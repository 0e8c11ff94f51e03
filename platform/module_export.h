// A loaded DLL's exports, for what the programs look up at run time (the
// maker's libraries, the keyboard hook functions). The terminal looks a
// name up as wide text, the desktop as narrow; callers give the narrow
// (ASCII) name either way.
#pragma once

// The address of export `name` of `module` (an HMODULE), or null when the
// module is null or has no such export.
void* ModuleExportByName(void* module, const char* name);

// The same for an export that has only an ordinal.
void* ModuleExportByOrdinal(void* module, unsigned ordinal);

// The system DLL that exports SetWindowsHookExW, CallNextHookEx and
// UnhookWindowsHookEx: "coredll.dll" on the terminal, "user32.dll" on the
// desktop.
const wchar_t* SystemHookFunctionsModule();
