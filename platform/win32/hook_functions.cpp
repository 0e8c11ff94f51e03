// The desktop's hook functions live in user32, which the desktop's
// GetProcAddress searches by narrow name.
#include "hook_functions.h"

#include <windows.h>

namespace {

const wchar_t* g_moduleOverride = nullptr;
HookFunctionLookup g_lookupOverride = nullptr;

}  // namespace

const wchar_t* HookFunctionsModule() { return g_moduleOverride ? g_moduleOverride : L"user32.dll"; }

void* HookFunctionAddress(void* module, const char* name) {
  if (g_lookupOverride) return g_lookupOverride(module, name);
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void OverrideHookFunctions(const wchar_t* module, HookFunctionLookup lookup) {
  g_moduleOverride = module;
  g_lookupOverride = lookup;
}
