// Waiting for a started program the terminal's way, the same on both
// systems: the exit code polled once a second.
#include <windows.h>

#include "program_start.h"

void WaitForProgramEnd(void* process) {
  DWORD code = 0;
  while (GetExitCodeProcess(static_cast<HANDLE>(process), &code) && code == STILL_ACTIVE) {
    Sleep(1000);
  }
  CloseHandle(static_cast<HANDLE>(process));
}
