// Run-time loading of the maker's libraries. Each table starts out full of
// stand-ins; loading replaces only the entries whose functions are found, so
// a missing library or export never leaves a null pointer behind.
#include "device_libraries.h"

#include "module_export.h"

namespace {

// One stand-in pair per signature. Both ignore their arguments and touch no
// output. On x86 the calling convention is part of the type, so the
// stand-in pops exactly the arguments the caller pushed.
template <typename Fn>
struct StandIn;

template <typename... Args>
struct StandIn<int32_t(WINAPI*)(Args...)> {
  static int32_t WINAPI Fail(Args...) { return kDeviceLibraryMissing; }
  static int32_t WINAPI Nothing(Args...) { return 0; }
};

#define SARNU_FAIL_ENTRY(name, ...) &StandIn<name##Fn>::Fail,
#define SARNU_NOTHING_ENTRY(name, ...) &StandIn<name##Fn>::Nothing,

constexpr LZReadLib kLaserStandIns = {SARNU_LZREADLIB_CALLS(SARNU_FAIL_ENTRY)};
constexpr PixLib kImagerStandIns = {SARNU_PIXLIB_CALLS(SARNU_FAIL_ENTRY)};
// 0 is the failing answer of DvcGetModelName and DvcGetSystemName, and the
// harmless one of every other device call.
constexpr DvcLib kDeviceStandIns = {SARNU_DVCLIB_CALLS(SARNU_NOTHING_ENTRY)};

HMODULE g_laserModule = nullptr;
HMODULE g_imagerModule = nullptr;
HMODULE g_deviceModule = nullptr;
bool g_loadAttempted = false;
int g_loadedBits = 0;

template <typename Fn>
void Take(void* found, Fn* entry) {
  if (found != nullptr) *entry = reinterpret_cast<Fn>(found);
}

void FillTables() {
#define SARNU_RESOLVE_NAMED(name) Take(ModuleExportByName(g_laserModule, #name), &g_LZReadLib.name);
  SARNU_LZREADLIB_CALLS(SARNU_RESOLVE_NAMED)
#undef SARNU_RESOLVE_NAMED
#define SARNU_RESOLVE_ORDINAL(name, ordinal) \
  Take(ModuleExportByOrdinal(g_imagerModule, ordinal), &g_PixLib.name);
  SARNU_PIXLIB_CALLS(SARNU_RESOLVE_ORDINAL)
#undef SARNU_RESOLVE_ORDINAL
#define SARNU_RESOLVE_NAMED(name) Take(ModuleExportByName(g_deviceModule, #name), &g_DvcLib.name);
  SARNU_DVCLIB_CALLS(SARNU_RESOLVE_NAMED)
#undef SARNU_RESOLVE_NAMED
}

HMODULE LoadOne(const wchar_t* name) {
  if (name == nullptr || name[0] == 0) return nullptr;
  return LoadLibraryW(name);
}

}  // namespace

LZReadLib g_LZReadLib = {SARNU_LZREADLIB_CALLS(SARNU_FAIL_ENTRY)};
PixLib g_PixLib = {SARNU_PIXLIB_CALLS(SARNU_FAIL_ENTRY)};
DvcLib g_DvcLib = {SARNU_DVCLIB_CALLS(SARNU_NOTHING_ENTRY)};

int LoadDeviceLibrariesFrom(const wchar_t* laserName, const wchar_t* imagerName,
                            const wchar_t* deviceName) {
  UnloadDeviceLibraries();
  g_laserModule = LoadOne(laserName);
  g_imagerModule = LoadOne(imagerName);
  g_deviceModule = LoadOne(deviceName);
  FillTables();
  g_loadedBits = (g_laserModule ? kLaserLibraryLoaded : 0) |
                 (g_imagerModule ? kImagerLibraryLoaded : 0) |
                 (g_deviceModule ? kDeviceLibraryLoaded : 0);
  g_loadAttempted = true;
  return g_loadedBits;
}

int LoadDeviceLibraries() {
  // Once per process: a library that was missing at start stays missing, so
  // the reader type decided at start cannot change under the wedge's feet.
  if (g_loadAttempted) return g_loadedBits;
  return LoadDeviceLibrariesFrom(kLzrLibraryName, kPixLibraryName, kDvcLibraryName);
}

void UnloadDeviceLibraries() {
  // Stand-ins first, so no entry ever points into a freed library.
  g_LZReadLib = kLaserStandIns;
  g_PixLib = kImagerStandIns;
  g_DvcLib = kDeviceStandIns;
  HMODULE* modules[] = {&g_laserModule, &g_imagerModule, &g_deviceModule};
  for (HMODULE* module : modules) {
    if (*module != nullptr) FreeLibrary(*module);
    *module = nullptr;
  }
  g_loadedBits = 0;
  g_loadAttempted = false;
}
