// The program in front on the terminal: the process of the foreground
// window, found in a process snapshot of the tool help library, whose
// entries name the executable file.
#include "foreground_program.h"

#include <windows.h>

#include <cwchar>

// The terminal's process entry, larger than the desktop's: two fields
// follow the name. Its size is how the library knows it.
struct CeProcessEntry {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  DWORD th32DefaultHeapID;
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  WCHAR szExeFile[MAX_PATH];
  DWORD th32MemoryBase;
  DWORD th32AccessKey;
};
static_assert(sizeof(CeProcessEntry) == 564, "the terminal's PROCESSENTRY32");

extern "C" {
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD process);
BOOL WINAPI CloseToolhelp32Snapshot(HANDLE snapshot);
BOOL WINAPI Process32First(HANDLE snapshot, CeProcessEntry* entry);
BOOL WINAPI Process32Next(HANDLE snapshot, CeProcessEntry* entry);
}

namespace {

// Processes only; the heaps would make the snapshot slow and large.
const DWORD kSnapProcesses = 0x00000002;
const DWORD kSnapNoHeaps = 0x40000000;

DWORD g_lastProcess = 0;
WCHAR g_lastName[MAX_PATH];

bool NameOf(DWORD process) {
  HANDLE snapshot = CreateToolhelp32Snapshot(kSnapProcesses | kSnapNoHeaps, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  CeProcessEntry entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID != process) continue;
    const WCHAR* slash = std::wcsrchr(entry.szExeFile, L'\\');
    std::wcsncpy(g_lastName, slash ? slash + 1 : entry.szExeFile, MAX_PATH - 1);
    g_lastName[MAX_PATH - 1] = 0;
    found = true;
  }
  CloseToolhelp32Snapshot(snapshot);
  return found;
}

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
    if (!NameOf(process)) return false;
    g_lastProcess = process;
  }
  size_t i = 0;
  for (; i + 1 < units && g_lastName[i]; ++i) name[i] = char16_t(g_lastName[i]);
  name[i] = 0;
  return true;
}
