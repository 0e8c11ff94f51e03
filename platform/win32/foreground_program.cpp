// The program in front on the desktop: the process of the foreground window
// and its image's full path, of which the file name is kept.
#include "foreground_program.h"

#include <windows.h>

#include <cwchar>

namespace {

DWORD g_lastProcess = 0;
wchar_t g_lastName[MAX_PATH];

bool NameOf(DWORD process) {
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (!handle) return false;
  wchar_t path[MAX_PATH];
  DWORD units = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(handle, 0, path, &units) != 0;
  CloseHandle(handle);
  if (!named) return false;
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  const wchar_t* file = slash ? slash + 1 : path;
  std::wcsncpy(g_lastName, file, MAX_PATH - 1);
  g_lastName[MAX_PATH - 1] = 0;
  return true;
}

}  // namespace

bool ForegroundProgram(char16_t* name, size_t units) {
  if (!name || units == 0) return false;
  name[0] = 0;
  DWORD process = 0;
  HWND front = GetForegroundWindow();
  if (!front || !GetWindowThreadProcessId(front, &process) || process == 0) return false;
  if (process != g_lastProcess) {
    g_lastProcess = 0;
    if (!NameOf(process)) return false;
    g_lastProcess = process;
  }
  size_t i = 0;
  for (; i + 1 < units && g_lastName[i]; ++i) name[i] = char16_t(g_lastName[i]);
  name[i] = 0;
  return true;
}
