// SarnuSettings.cpl: the control panel's entry "SARNU Settings", which starts
// the settings program and stays in the call until it has ended. One opening
// at a time: a named mutex is held for the settings program's whole life.
#include <windows.h>
// After windows.h, which it needs.
#include <cpl.h>

#include "program_start.h"
#include "shell.h"

namespace {

enum : int { kAppletIcon = 101, kAppletData = 101 };

HINSTANCE g_instance;

LONG DescribeApplet(NEWCPLINFOW* info) {
  if (!info) return 1;
  info->dwSize = AppletInfoRecordSize();
  info->dwFlags = 0;
  info->dwHelpContext = 0;
  info->lData = kAppletData;
  info->hIcon = LoadIconW(g_instance, MAKEINTRESOURCEW(kAppletIcon));
  lstrcpynW(info->szName, L"SARNU Settings", 32);
  lstrcpynW(info->szInfo, L"SARNU Settings", 64);
  info->szHelpFile[0] = L'\0';
  return 0;
}

LONG OpenSettingsProgram() {
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"SarnuCplMutex");
  if (!mutex) return 1;
  LONG answer = 1;
  // Another control panel's opening still waits for its settings program.
  if (GetLastError() != ERROR_ALREADY_EXISTS) {
    void* process = nullptr;
    if (StartTerminalProgram(L"\\Windows\\SarnuSettings.exe", &process)) {
      WaitForProgramEnd(process);
      answer = 0;
    }
  }
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return answer;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
  return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM, LPARAM parameter2) {
  switch (message) {
    case CPL_INIT:
      return 1;
    case CPL_GETCOUNT:
      return 1;
    case CPL_NEWINQUIRE:
      return DescribeApplet(reinterpret_cast<NEWCPLINFOW*>(parameter2));
    case CPL_DBLCLK:
      return OpenSettingsProgram();
    default:
      return 0;
  }
}
