// A stand-in for the programs the suite starts but does not ship (the
// reader makers' set-up tools) and for the suite's own programs where a test
// only needs something that runs for a while. Copied to the terminal path
// it stands in for; it appends "start <path>" and "end <path>" to the file
// named by SARNU_STANDIN_LOG and stays up SARNU_STANDIN_MS milliseconds
// (3000 when unset) in between.
#include <windows.h>

#include <cstdio>

namespace {

void Record(const char* what) {
  wchar_t logPath[MAX_PATH];
  if (!GetEnvironmentVariableW(L"SARNU_STANDIN_LOG", logPath, MAX_PATH)) return;
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  // Several stand-ins may run at once: append under a retry, never truncate.
  for (int attempt = 0; attempt < 50; ++attempt) {
    FILE* log = _wfopen(logPath, L"ab");
    if (log) {
      fprintf(log, "%s %ls\n", what, self);
      fclose(log);
      return;
    }
    Sleep(10);
  }
}

}  // namespace

int wmain() {
  Record("start");
  wchar_t text[16];
  DWORD stayMs = 3000;
  if (GetEnvironmentVariableW(L"SARNU_STANDIN_MS", text, 16)) stayMs = _wtoi(text);
  Sleep(stayMs);
  Record("end");
  return 0;
}
