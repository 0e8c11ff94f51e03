// The end-to-end driver: processes, the simulated terminal, and what the
// desktop shows. Everything polls with a time-out: Wine starts programs and
// switches the focus at its own pace.
#include "e2e_support.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

bool PollUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return done();
    Sleep(5);
  }
}

std::wstring BinFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  const size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L".\\" : folder.substr(0, slash + 1);
}

std::wstring InstalledFolder() { return BinFolder() + L"..\\install\\Windows\\"; }

namespace {

// A bare name that exists in the installed or the bin folder is ours;
// anything else (a path, or a program of Wine's own such as notepad.exe)
// goes as it is. Shipped programs come from the install, so what the tests
// run is what a terminal gets.
std::wstring ProgramPath(const std::wstring& exe) {
  if (exe.find_first_of(L"\\/:") != std::wstring::npos) return exe;
  for (const std::wstring& folder : {InstalledFolder(), BinFolder()}) {
    const std::wstring local = folder + exe;
    if (GetFileAttributesW(local.c_str()) != INVALID_FILE_ATTRIBUTES) return local;
  }
  return exe;
}

std::wstring CommandLine(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring line = L"\"" + ProgramPath(exe) + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  return line;
}

}  // namespace

Program::~Program() { End(); }

bool Program::Start(const std::wstring& exe, const std::wstring& arguments) {
  End();
  std::wstring line = CommandLine(exe, arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  // A program started from a thread on a terminal screen opens there; a
  // child otherwise inherits its parent's first desktop.
  wchar_t desktop[64] = L"";
  GetUserObjectInformationW(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop,
                            sizeof desktop, nullptr);
  if (lstrcmpiW(desktop, L"Default") != 0 && desktop[0]) startup.lpDesktop = desktop;
  PROCESS_INFORMATION info = {};
  // No inherited handles: a child that held our output pipe would keep ctest
  // waiting after the test ends.
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  id_ = info.dwProcessId;
  return true;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  if (exitCode) *exitCode = code;
  return true;
}

bool Program::IsRunning() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Program::End() {
  if (!process_) return;
  if (IsRunning()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  id_ = 0;
}

int RunProgram(const std::wstring& exe, const std::wstring& arguments, DWORD timeoutMs,
               std::string* output) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  std::wstring line = CommandLine(exe, arguments);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &info);
  const DWORD error = started ? 0 : GetLastError();
  CloseHandle(writeEnd);
  if (!started) {
    // Seldom, under a full run's load; the error tells what Wine refused.
    std::fprintf(stderr, "CreateProcessW failed (error %lu): %ls\n", error, line.c_str());
    CloseHandle(readEnd);
    return -1;
  }
  CloseHandle(info.hThread);

  // Drained while it runs, so a chatty child never blocks on a full pipe.
  std::string text;
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  bool ended = false;
  for (;;) {
    DWORD available = 0;
    while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      char chunk[4096];
      DWORD got = 0;
      if (!ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) || got == 0) break;
      text.append(chunk, got);
    }
    if (ended) break;
    ended = WaitForSingleObject(info.hProcess, 5) == WAIT_OBJECT_0;
    if (!ended && GetTickCount64() >= end) break;
  }
  CloseHandle(readEnd);
  int result = -1;
  if (ended) {
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    result = static_cast<int>(code);
  } else {
    TerminateProcess(info.hProcess, 1);
  }
  CloseHandle(info.hProcess);
  if (output) *output = text;
  return result;
}

int RunSimterm(const std::wstring& arguments, std::string* output) {
  const bool repeatable = arguments.compare(0, 5, L"scan ") != 0;
  int result = -1;
  for (int attempt = 0; attempt < (repeatable ? 3 : 1) && result == -1; ++attempt) {
    result = RunProgram(L"simterm.exe", arguments, 30000, output);
  }
  return result;
}

std::wstring WedgeIniPath() { return L"C:\\Documents and Settings\\System Settings\\SARNU.INI"; }

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

void EndStrayWedges() {
  for (int i = 0; i < 5; ++i) {
    HWND window = FindWindowW(L"Sarnu", L"Sarnu");
    if (!window) return;
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    TerminateProcess(process, 3);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

bool PrepareTerminal(const char* reader, const std::string& iniText) {
  EndStrayWedges();
  // A state of our own: the Win32 unit tests use the default one in the same
  // prefix, and a run of theirs must not change our reader under us.
  SetEnvironmentVariableW(L"SARNU_SIM_NAME", L"E2E");
  const std::wstring arguments = L"init --model " + std::to_wstring(kE2eModel) + L" --reader " +
                                 std::wstring(reader, reader + strlen(reader));
  if (RunSimterm(arguments) != 0) return false;

  CreateDirectoryW(L"C:\\Documents and Settings", nullptr);
  CreateDirectoryW(L"C:\\Documents and Settings\\System Settings", nullptr);
  const std::wstring ini = WedgeIniPath();
  if (iniText.empty()) {
    DeleteFileW(ini.c_str());
    return GetFileAttributesW(ini.c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  return WriteWholeFile(ini, iniText);
}

namespace {

struct WindowQuery {
  DWORD processId;
  const wchar_t* windowClass;
  const wchar_t* title;
  bool visibleOnly;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  WindowQuery* query = reinterpret_cast<WindowQuery*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != query->processId) return TRUE;
  if (query->visibleOnly && !IsWindowVisible(window)) return TRUE;
  wchar_t text[256];
  if (!GetClassNameW(window, text, 256) || lstrcmpW(text, query->windowClass) != 0) return TRUE;
  if (query->title) {
    GetWindowTextW(window, text, 256);
    if (lstrcmpW(text, query->title) != 0) return TRUE;
  }
  query->found = window;
  return FALSE;
}

std::wstring WindowText(HWND window) {
  // SendMessageTimeout: a hung window must fail the test, not hang it.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return L"";
  }
  std::vector<wchar_t> text(length + 1);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return L"";
  }
  return std::wstring(text.data(), copied);
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title,
                       bool visibleOnly) {
  WindowQuery query = {processId, windowClass, title, visibleOnly, nullptr};
  // The calling thread's desktop: the settings tests run on a screen of
  // their own.
  EnumDesktopWindows(GetThreadDesktop(GetCurrentThreadId()), MatchWindow,
                     reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForProcessWindow(DWORD processId, const wchar_t* windowClass, const wchar_t* title,
                          bool visibleOnly, DWORD timeoutMs) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        found = FindProcessWindow(processId, windowClass, title, visibleOnly);
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool Notepad::Open() {
  if (!program_.Start(L"notepad.exe")) return false;
  frame_ = WaitForProcessWindow(program_.Id(), L"Notepad", nullptr, true, 20000);
  if (!frame_) return false;
  edit_ = FindWindowExW(frame_, nullptr, L"Edit", nullptr);
  return edit_ != nullptr;
}

bool Notepad::BringForward() {
  if (!frame_) return false;
  const DWORD thread = GetWindowThreadProcessId(frame_, nullptr);
  // Asked again while polling: a window that was still being shown can
  // ignore the first request.
  return PollUntil(
      [&] {
        if (GetForegroundWindow() != frame_) {
          SetForegroundWindow(frame_);
          return false;
        }
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread, &info) && info.hwndFocus == edit_;
      },
      5000);
}

std::wstring Notepad::Text() const { return edit_ ? WindowText(edit_) : L""; }

std::wstring Notepad::WaitForText(const std::wstring& expected, DWORD timeoutMs) const {
  std::wstring text;
  PollUntil(
      [&] {
        text = Text();
        return text == expected;
      },
      timeoutMs);
  return text;
}

void Notepad::Clear() {
  if (edit_) {
    SendMessageTimeoutW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
  }
}

HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs) {
  HWND box = nullptr;
  PollUntil(
      [&] {
        box = FindWindowW(L"#32770", caption);
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

std::wstring MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  if (!text) text = FindWindowExW(box, nullptr, L"Static", nullptr);
  return text ? WindowText(text) : L"";
}

void DismissMessageBox(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

bool TrayIconExists(HWND owner, UINT id) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = id;
  data.uFlags = 0;  // changes nothing of an icon that is there
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool AddTrayIcon(HWND owner, UINT id) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = id;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  lstrcpyW(data.szTip, L"e2e");
  return Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

bool DeleteTrayIcon(HWND owner, UINT id) {
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = id;
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

std::wstring FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return L"";
  const int n =
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
  return text;
}

bool PutClipboardUnits(const std::wstring& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (!block) return false;
  std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(GlobalLock(block)));
  GlobalUnlock(block);
  if (SetClipboardData(CF_UNICODETEXT, block)) return true;
  GlobalFree(block);
  return false;
}

bool PutClipboardText(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  const bool put = PutClipboardUnits(text);
  CloseClipboard();
  return put;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return L"<busy>";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data))) text = p;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}
