// The program in front, the same on both systems but for naming a process
// (process_file_name.h).
#include "foreground_program.h"

#include <windows.h>

#include "process_file_name.h"
#include "program_name_cache.h"

namespace {

ProgramNameCache g_last;

}  // namespace

bool ForegroundProgram(char16_t* name, size_t units) {
  if (!name || units == 0) return false;
  name[0] = 0;
  DWORD process = 0;
  HWND front = GetForegroundWindow();
  if (!front) return false;
  GetWindowThreadProcessId(front, &process);
  if (process == 0) return false;
  const wchar_t* kept = g_last.Find(process, front);
  if (!kept) {
    wchar_t found[ProgramNameCache::kUnits];
    if (!ProcessFileName(process, found, ProgramNameCache::kUnits)) return false;
    g_last.Keep(process, front, found);
    kept = g_last.Find(process, front);
  }
  size_t i = 0;
  for (; i + 1 < units && kept[i]; ++i) name[i] = char16_t(kept[i]);
  name[i] = 0;
  return true;
}
