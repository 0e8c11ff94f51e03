// A process's file name on the desktop: its image's full path, of which the
// file name is kept.
#include "process_file_name.h"

#include <windows.h>

#include <cwchar>

bool ProcessFileName(unsigned long process, wchar_t* name, size_t units) {
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (!handle) return false;
  wchar_t path[MAX_PATH];
  DWORD length = MAX_PATH;
  const bool named = QueryFullProcessImageNameW(handle, 0, path, &length) != 0;
  CloseHandle(handle);
  if (!named || units == 0) return false;
  const wchar_t* slash = std::wcsrchr(path, L'\\');
  std::wcsncpy(name, slash ? slash + 1 : path, units - 1);
  name[units - 1] = 0;
  return true;
}
