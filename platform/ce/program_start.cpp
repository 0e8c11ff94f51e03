// The terminal's program starts: the path taken as it is (the terminal has
// no drives and no current folder), no start-up record, no current folder.
#include "program_start.h"

#include <windows.h>

bool StartTerminalProgram(const wchar_t* terminalPath, void** process) {
  *process = nullptr;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(terminalPath, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      nullptr, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  *process = info.hProcess;
  return true;
}
