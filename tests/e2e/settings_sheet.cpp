// The settings sheet driver: a user's actions as the messages they send,
// and the sheet's state read back across the process boundary.
#include "settings_sheet.h"

#include <commctrl.h>

#include <thread>

#include "ini_file.h"

namespace {

// Wine's stand-in for the dialog font is wider than the terminal's, which
// would push the pages' right edge off a 240-pixel screen; a lower screen
// resolution for the programs started meanwhile gives them the terminal's
// proportions. The tall screen has twice the resolution, as the terminal.
struct ScreenDesktop {
  const wchar_t* name;
  const wchar_t* size;
  DWORD dpi;
};

ScreenDesktop DesktopOf(Screen screen) {
  return screen == Screen::Tall480x640 ? ScreenDesktop{L"SarnuTall", L"480x640", 144}
                                       : ScreenDesktop{L"SarnuCommon", L"240x320", 72};
}

// Sets the screen resolution that programs started from now on see.
// Returns the previous value (0: none was set).
DWORD SetLogPixels(DWORD dpi) {
  HKEY key = nullptr;
  DWORD previous = 0, size = sizeof previous;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return 0;
  }
  if (RegQueryValueExW(key, L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&previous),
                       &size) != ERROR_SUCCESS) {
    previous = 0;
  }
  if (dpi) {
    RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  } else {
    RegDeleteValueW(key, L"LogPixels");
  }
  RegCloseKey(key);
  return previous;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

HWND FindSheet(DWORD processId) {
  struct Query {
    DWORD processId;
    HWND found;
  } query = {processId, nullptr};
  EnumDesktopWindows(
      GetThreadDesktop(GetCurrentThreadId()),
      [](HWND window, LPARAM data) -> BOOL {
        Query* q = reinterpret_cast<Query*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t cls[16] = L"";
        GetClassNameW(window, cls, 16);
        if ((q->processId == 0 || owner == q->processId) && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window) &&
            FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr)) {
          q->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

namespace {

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs = 5000) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result);
  return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = L"";
  SendWithin(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

std::string Why(const SheetStep& step, const std::string& what) {
  return "control " + std::to_string(step.control) + " '" + Narrow(step.text) + "' " +
         std::to_string(step.value) + ": " + what;
}

}  // namespace

void OnTerminalScreen(Screen screen, const std::function<void()>& body) {
  const ScreenDesktop desktop = DesktopOf(screen);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExW(key, desktop.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(desktop.size),
                   (lstrlenW(desktop.size) + 1) * sizeof(wchar_t));
    RegCloseKey(key);
  }
  const DWORD previousDpi = SetLogPixels(desktop.dpi);
  // A fresh thread: one that owns windows cannot change its desktop.
  std::thread driver([&] {
    HDESK handle = CreateDesktopW(desktop.name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (handle) SetThreadDesktop(handle);
    body();
    if (handle) CloseDesktop(handle);
  });
  driver.join();
  SetLogPixels(previousDpi);
}

SettingsSheet::~SettingsSheet() {
  program_.End();
  if (attached_ && process_) CloseHandle(process_);
}

bool SettingsSheet::Attach(DWORD timeoutMs) {
  if (!PollUntil([&] { return (sheet_ = FindSheet(0)) != nullptr; }, timeoutMs)) return false;
  DWORD id = 0;
  GetWindowThreadProcessId(sheet_, &id);
  process_ = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
  attached_ = process_ != nullptr;
  Settle();
  return attached_;
}

bool SettingsSheet::Start(std::string* why) {
  if (!program_.Start(L"SarnuSettings.exe")) {
    *why = "SarnuSettings.exe did not start";
    return false;
  }
  process_ = program_.Handle();
  PollUntil([&] { return (sheet_ = FindSheet(program_.Id())) != nullptr; }, 20000);
  if (!sheet_) {
    *why = "no sheet appeared";
    return false;
  }
  Settle();
  return true;
}

bool SettingsSheet::Ended(DWORD timeoutMs) {
  DWORD code = 1;
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(process_, &code) && code == 0;
}

HWND SettingsSheet::CurrentPage() const {
  return reinterpret_cast<HWND>(SendWithin(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND SettingsSheet::Control(int id) const { return GetDlgItem(CurrentPage(), id); }

void SettingsSheet::Settle() const { SendWithin(sheet_, WM_NULL, 0, 0, 3000); }

int SettingsSheet::TabCount() const {
  HWND tabs = reinterpret_cast<HWND>(SendWithin(sheet_, PSM_GETTABCONTROL, 0, 0));
  return static_cast<int>(SendWithin(tabs, TCM_GETITEMCOUNT, 0, 0));
}

std::wstring SettingsSheet::TabTitle(int index) const {
  HWND tabs = reinterpret_cast<HWND>(SendWithin(sheet_, PSM_GETTABCONTROL, 0, 0));
  // The item record and its text buffer must live in the sheet's process.
  struct Remote {
    TCITEMW item;
    wchar_t text[64];
  };
  HANDLE process = process_;
  Remote* remote = static_cast<Remote*>(
      VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
  if (!remote) return L"";
  Remote local = {};
  local.item.mask = TCIF_TEXT;
  local.item.pszText = remote->text;
  local.item.cchTextMax = 64;
  WriteProcessMemory(process, remote, &local, sizeof local, nullptr);
  SendWithin(tabs, TCM_GETITEMW, index, reinterpret_cast<LPARAM>(&remote->item));
  ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return local.text;
}

bool SettingsSheet::TypeText(HWND control, const std::wstring& text) const {
  const DWORD self = GetCurrentThreadId();
  const DWORD target = GetWindowThreadProcessId(control, nullptr);
  AttachThreadInput(self, target, TRUE);
  // Keys go where the focus is: the box must have it before the first key,
  // or they land in whatever window had it (notepad, in the demo).
  const bool focused = PollUntil(
      [&] {
        SetForegroundWindow(sheet_);
        SetFocus(control);
        return GetFocus() == control;
      },
      3000);
  if (!focused) {
    AttachThreadInput(self, target, FALSE);
    return false;
  }
  SendWithin(control, EM_SETSEL, 0, -1);
  for (wchar_t c : text) {
    const SHORT key = VkKeyScanW(c);
    const bool shift = (key >> 8) & 1;
    if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(LOBYTE(key), 0, 0, 0);
    keybd_event(LOBYTE(key), 0, KEYEVENTF_KEYUP, 0);
    if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  }
  // Key events are queued: the text is in once the box holds what was typed,
  // as far as its limit lets it.
  const size_t limit = size_t(SendWithin(control, EM_GETLIMITTEXT, 0, 0));
  const std::wstring wanted = text.substr(0, limit < text.size() ? limit : text.size());
  const bool arrived = PollUntil([&] { return TextOf(control) == wanted; }, 5000);
  // Keys past the limit change nothing, yet must be taken here before the
  // next step moves the focus, or they land in the next box.
  if (arrived && wanted.size() < text.size()) Sleep(300);
  AttachThreadInput(self, target, FALSE);
  return arrived;
}

bool SettingsSheet::Run(const std::vector<SheetStep>& steps, std::string* why) {
  for (size_t i = 0; i < steps.size(); ++i) {
    std::string reason;
    if (!Step(steps[i], &reason)) {
      *why = "step " + std::to_string(i) + ", " + reason;
      return false;
    }
  }
  return true;
}

bool SettingsSheet::Step(const SheetStep& step, std::string* why) {
  HWND page = CurrentPage();
  HWND control = step.act == Act::kPage ? nullptr : GetDlgItem(page, step.control);
  auto fail = [&](const std::string& what) {
    *why = Why(step, what);
    return false;
  };
  switch (step.act) {
    case Act::kPage:
      SendWithin(sheet_, PSM_SETCURSEL, step.control, 0);
      Settle();
      return true;
    case Act::kClick:
      // Sent, so the next step sees its effect; a click that opens a box or
      // waits for a program keeps the page busy, and the send gives up.
      SendWithin(control, BM_CLICK, 0, 0, 1500);
      return true;
    case Act::kType: {
      if (TypeText(control, step.text)) return true;
      const std::wstring held = TextOf(control);
      return fail("the typed text did not arrive: the box holds '" +
                  std::string(held.begin(), held.end()) + "'");
    }
    case Act::kSelect:
      SendWithin(control, CB_SETCURSEL, step.value, 0);
      SendWithin(page, WM_COMMAND, MAKEWPARAM(step.control, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(control));
      return true;
    case Act::kSlide:
      SendWithin(control, TBM_SETPOS, TRUE, step.value);
      SendWithin(page, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, step.value),
                 reinterpret_cast<LPARAM>(control));
      SendWithin(page, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(control));
      return true;
    case Act::kAnswer: {
      HWND box = WaitForMessageBox(step.text.c_str(), 8000);
      if (!box) return fail("no box");
      PostMessageW(GetDlgItem(box, step.value), BM_CLICK, 0, 0);
      PollUntil([&] { return !IsWindow(box); }, 5000);
      if (IsWindow(sheet_)) Settle();
      return true;
    }
    case Act::kNoBox:
      return WaitForMessageBox(step.text.c_str(), 1000) ? fail("a box appeared") : true;
    case Act::kChecked:
      return SendWithin(control, BM_GETCHECK, 0, 0) == step.value ? true : fail("check state");
    case Act::kEnabled:
      return (IsWindowEnabled(control) ? 1 : 0) == step.value ? true : fail("enabled state");
    case Act::kWaitEnabled:
      return PollUntil([&] { return IsWindowEnabled(control) != FALSE; }, step.value)
                 ? true
                 : fail("stayed disabled");
    case Act::kVisible:
      return (IsWindowVisible(control) ? 1 : 0) == step.value ? true : fail("visibility");
    case Act::kText: {
      const std::wstring text = TextOf(control);
      return text == step.text ? true : fail("shows '" + Narrow(text) + "'");
    }
    case Act::kTrackPos: {
      const LRESULT pos = SendWithin(control, TBM_GETPOS, 0, 0);
      return pos == step.value ? true : fail("stands at " + std::to_string(pos));
    }
    case Act::kSelection: {
      const LRESULT index = SendWithin(control, CB_GETCURSEL, 0, 0);
      return index == step.value ? true : fail("shows entry " + std::to_string(index));
    }
    case Act::kFocus:
      return FocusOf(sheet_) == control ? true : fail("has no focus");
    case Act::kTabTitle: {
      const std::wstring title = TabTitle(step.control);
      return title == step.text ? true : fail("tab titled '" + Narrow(title) + "'");
    }
    case Act::kTabCount:
      return TabCount() == step.value ? true : fail("tabs " + std::to_string(TabCount()));
    case Act::kShot:
      RedrawWindow(sheet_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      Settle();
      // The counter pages draw their preview after their own paint.
      Sleep(400);
      return SaveScreenshot(step.text.c_str()).empty() ? fail("no screenshot") : true;
    case Act::kSave:
      PostMessageW(sheet_, WM_COMMAND, IDOK, 0);
      return true;
    case Act::kCancel:
      PostMessageW(sheet_, WM_COMMAND, IDCANCEL, 0);
      return true;
  }
  return fail("unknown action");
}

int RunSettingsWithoutSheet(DWORD timeoutMs, bool* sheetShown) {
  Program program;
  *sheetShown = false;
  if (!program.Start(L"SarnuSettings.exe")) return -1;
  DWORD code = 0;
  const bool ended = PollUntil(
      [&] {
        if (FindSheet(program.Id())) *sheetShown = true;
        return program.WaitForExit(0, &code);
      },
      timeoutMs);
  return ended ? static_cast<int>(code) : -1;
}

bool DeployToTerminal() {
  const std::wstring from = InstalledFolder();
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((from + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ok = CopyFileW((from + found.cFileName).c_str(),
                   (std::wstring(L"C:\\Windows\\") + found.cFileName).c_str(), FALSE) &&
         ok;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return ok;
}

std::wstring IniValue(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
  if (!FileExists(path)) return L"<no file>";
  char16_t value[300] = u"";
  IniGetString(reinterpret_cast<const char16_t*>(section), reinterpret_cast<const char16_t*>(key),
               u"", value, 300, reinterpret_cast<const char16_t*>(path.c_str()));
  return reinterpret_cast<const wchar_t*>(value);
}

bool IniHasSection(const std::wstring& path, const wchar_t* section) {
  const std::string text = ReadWholeFile(path);
  return text.find("[" + Narrow(section) + "]") != std::string::npos;
}

std::wstring KeyboardLaunchValue(const wchar_t* name) {
  wchar_t value[MAX_PATH] = L"";
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", name, RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS) {
    return L"";
  }
  return value;
}

std::wstring StartupShortcutPath() { return L"C:\\Windows\\Startup\\SARNU.lnk"; }
std::wstring TempIniPath() { return L"C:\\Temp\\SARNU.INI"; }

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}
