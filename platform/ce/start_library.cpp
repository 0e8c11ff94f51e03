// Where the terminal's loader enters a DLL (the control-panel applet):
// constructors of globals before the DLL's own DllMain sees the process,
// the atexit functions after it has let the process go.
#include <windows.h>

#include "ce_runtime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) RunGlobalConstructors();
  const BOOL result = DllMain(instance, reason, reserved);
  if (reason == DLL_PROCESS_DETACH) RunExitFunctions();
  return result;
}
