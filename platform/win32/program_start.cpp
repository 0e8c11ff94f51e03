// Desktop form of the terminal's program starts: terminal paths live on C:.
#include "program_start.h"

#include <windows.h>

bool StartTerminalProgram(const wchar_t* terminalPath, void** process) {
  *process = nullptr;
  wchar_t path[MAX_PATH + 2];
  const bool rootless = terminalPath[0] == L'\\' && terminalPath[1] != L'\\';
  if (lstrlenW(terminalPath) + 2 >= MAX_PATH) return false;
  lstrcpyW(path, rootless ? L"C:" : L"");
  lstrcatW(path, terminalPath);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  *process = info.hProcess;
  return true;
}
