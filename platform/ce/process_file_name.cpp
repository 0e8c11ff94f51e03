// A process's file name on the terminal: found in a process snapshot of the
// tool help library, whose entries name the executable file.
#include "process_file_name.h"

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

}  // namespace

bool ProcessFileName(unsigned long process, wchar_t* name, size_t units) {
  if (units == 0) return false;
  HANDLE snapshot = CreateToolhelp32Snapshot(kSnapProcesses | kSnapNoHeaps, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  CeProcessEntry entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found;
       more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID != process) continue;
    const WCHAR* slash = std::wcsrchr(entry.szExeFile, L'\\');
    std::wcsncpy(name, slash ? slash + 1 : entry.szExeFile, units - 1);
    name[units - 1] = 0;
    found = true;
  }
  CloseToolhelp32Snapshot(snapshot);
  return found;
}
