// The hook functions' module and lookup, with the tests' overrides; the
// system's own module and lookup come from module_export.
#include "hook_functions.h"

#include "module_export.h"

namespace {

const wchar_t* g_moduleOverride = nullptr;
HookFunctionLookup g_lookupOverride = nullptr;

}  // namespace

const wchar_t* HookFunctionsModule() {
  return g_moduleOverride ? g_moduleOverride : SystemHookFunctionsModule();
}

void* HookFunctionAddress(void* module, const char* name) {
  if (g_lookupOverride) return g_lookupOverride(module, name);
  return ModuleExportByName(module, name);
}

void OverrideHookFunctions(const wchar_t* module, HookFunctionLookup lookup) {
  g_moduleOverride = module;
  g_lookupOverride = lookup;
}
