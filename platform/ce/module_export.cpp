// The terminal's export lookup: GetProcAddressW, with the name as wide text.
#include "module_export.h"

#include <windows.h>

namespace {

// Longer than any export the programs look up.
constexpr int kMaxExportName = 64;

}  // namespace

void* ModuleExportByName(void* module, const char* name) {
  if (!module || !name) return nullptr;
  wchar_t wide[kMaxExportName];
  int n = 0;
  for (; name[n]; ++n) {
    if (n + 1 == kMaxExportName) return nullptr;
    wide[n] = wchar_t(static_cast<unsigned char>(name[n]));
  }
  wide[n] = 0;
  return reinterpret_cast<void*>(GetProcAddressW(static_cast<HMODULE>(module), wide));
}

void* ModuleExportByOrdinal(void* module, unsigned ordinal) {
  if (!module) return nullptr;
  return reinterpret_cast<void*>(
      GetProcAddressW(static_cast<HMODULE>(module), MAKEINTRESOURCEW(ordinal)));
}

const wchar_t* SystemHookFunctionsModule() { return L"coredll.dll"; }
