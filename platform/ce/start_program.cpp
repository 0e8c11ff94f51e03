// Where the terminal's loader enters a program: with WinMain's four
// arguments. Constructors of globals run first; the functions registered
// with atexit (destructors of globals among them) run once WinMain returns.
#include <windows.h>

#include "ce_runtime.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);

extern "C" int WINAPI WinMainCRTStartup(HINSTANCE instance, HINSTANCE previous,
                                        LPWSTR commandLine, int show) {
  RunGlobalConstructors();
  const int code = wWinMain(instance, previous, commandLine, show);
  RunExitFunctions();
  ExitProcess(code);
  return code;
}
