// The program in front, the same on both systems but for naming a process
// (process_file_name.h).
#include "foreground_program.h"

#include <windows.h>

#include "process_file_name.h"

namespace {

DWORD g_lastProcess = 0;
wchar_t g_lastName[MAX_PATH];

}  // namespace

bool ForegroundProgram(char16_t* name, size_t units) {
  if (!name || units == 0) return false;
  name[0] = 0;
  DWORD process = 0;
  HWND front = GetForegroundWindow();
  if (!front) return false;
  GetWindowThreadProcessId(front, &process);
  if (process == 0) return false;
  if (process != g_lastProcess) {
    g_lastProcess = 0;
    if (!ProcessFileName(process, g_lastName, MAX_PATH)) return false;
    g_lastProcess = process;
  }
  size_t i = 0;
  for (; i + 1 < units && g_lastName[i]; ++i) name[i] = char16_t(g_lastName[i]);
  name[i] = 0;
  return true;
}
