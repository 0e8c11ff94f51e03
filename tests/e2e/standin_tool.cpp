// A stand-in for the programs the suite starts but does not ship (the
// reader makers' set-up tools) and for the suite's own programs where a test
// only needs something that runs for a while. Copied to the terminal path
// it stands in for; it appends "start <path>" and "end <path>" to the file
// named by SARNU_STANDIN_LOG and stays up SARNU_STANDIN_MS milliseconds
// (3000 when unset) in between.
//   standin_tool --clipboard-listener [HOLD_MS]
// stands in instead for a clipboard manager: it reads the clipboard's text at
// every change, with a window of its own, and holds the clipboard HOLD_MS
// (40 when unset) after reading any, until it is ended. Its window's title is
// "clipboard listener ready" once it listens.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

DWORD g_holdMs = 40;

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

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CLIPBOARDUPDATE) return DefWindowProcW(window, message, wParam, lParam);
  // As a clipboard manager keeps its history: the text read at once, the
  // clipboard held a moment as the text is stored.
  if (OpenClipboard(window)) {
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      GlobalLock(data);
      GlobalUnlock(data);
      Sleep(g_holdMs);
    }
    CloseClipboard();
  }
  return 0;
}

int ListenToClipboard() {
  WNDCLASSW type = {};
  type.lpfnWndProc = ListenerProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"SarnuClipboardListener";
  RegisterClassW(&type);
  HWND window = CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                type.hInstance, nullptr);
  if (!window || !AddClipboardFormatListener(window)) return 5;
  SetWindowTextW(window, L"clipboard listener ready");
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && wcscmp(argv[1], L"--clipboard-listener") == 0) {
    if (argc > 2) g_holdMs = _wtoi(argv[2]);
    return ListenToClipboard();
  }
  Record("start");
  wchar_t text[16];
  DWORD stayMs = 3000;
  if (GetEnvironmentVariableW(L"SARNU_STANDIN_MS", text, 16)) stayMs = _wtoi(text);
  Sleep(stayMs);
  Record("end");
  return 0;
}
