// A process's file name on the terminal: found in a process snapshot of the
// tool help library, whose entries name the executable file.
#include "process_file_name.h"

#include <windows.h>

#include <cwchar>

#include "module_export.h"

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

namespace {

// The tool help library is optional in every terminal image, so it is
// looked up at the first question: without it no process can be named and
// profiles that name programs never hold, but the wedge still loads.
struct ToolHelp {
  HANDLE(WINAPI* snapshot)(DWORD flags, DWORD process);
  BOOL(WINAPI* close)(HANDLE snapshot);
  BOOL(WINAPI* first)(HANDLE snapshot, CeProcessEntry* entry);
  BOOL(WINAPI* next)(HANDLE snapshot, CeProcessEntry* entry);
};

template <typename Function>
bool Bind(void* module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(ModuleExportByName(module, name));
  return *function != nullptr;
}

// Null when the library or one of its functions is missing.
const ToolHelp* TheToolHelp() {
  static ToolHelp functions;
  static const bool bound = [] {
    void* module = LoadLibraryW(L"toolhelp.dll");
    return Bind(module, "CreateToolhelp32Snapshot", &functions.snapshot) &&
           Bind(module, "CloseToolhelp32Snapshot", &functions.close) &&
           Bind(module, "Process32First", &functions.first) &&
           Bind(module, "Process32Next", &functions.next);
  }();
  return bound ? &functions : nullptr;
}

// Processes only; the heaps would make the snapshot slow and large.
const DWORD kSnapProcesses = 0x00000002;
const DWORD kSnapNoHeaps = 0x40000000;

}  // namespace

bool ProcessFileName(unsigned long process, wchar_t* name, size_t units) {
  const ToolHelp* tool = TheToolHelp();
  if (units == 0 || !tool) return false;
  HANDLE snapshot = tool->snapshot(kSnapProcesses | kSnapNoHeaps, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  CeProcessEntry entry = {};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = tool->first(snapshot, &entry); more && !found;
       more = tool->next(snapshot, &entry)) {
    if (entry.th32ProcessID != process) continue;
    const WCHAR* slash = std::wcsrchr(entry.szExeFile, L'\\');
    std::wcsncpy(name, slash ? slash + 1 : entry.szExeFile, units - 1);
    name[units - 1] = 0;
    found = true;
  }
  tool->close(snapshot);
  return found;
}
