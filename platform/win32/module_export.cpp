// Desktop export lookup: GetProcAddress takes narrow names.
#include "module_export.h"

#include <windows.h>

// Through void* because a FARPROC is a function type of its own.
void* ModuleExportByName(void* module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void* ModuleExportByOrdinal(void* module, unsigned ordinal) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(
      GetProcAddress(static_cast<HMODULE>(module), MAKEINTRESOURCEA(ordinal)));
}

const wchar_t* SystemHookFunctionsModule() { return L"user32.dll"; }
