// The worker's session: the wedge on a prepared terminal with notepad in
// front. Activation is seen through the wedge's own "started" event, so no
// test sleeps for a fixed time before it pulls the trigger.
#include "wedge_session.h"

#include <psapi.h>

#include <cstdio>

std::string SessionIni(const std::string& extra) {
  const std::string other = "[OtherSettings]\r\n";
  const size_t at = extra.find(other);
  if (at == std::string::npos) return other + "ShowSplash=0\r\n" + extra;
  std::string ini = extra;
  ini.insert(at + other.size(), "ShowSplash=0\r\n");
  return ini;
}

WedgeSession::WedgeSession() {
  started_ = CreateEventW(nullptr, FALSE, FALSE, L"DataReader_Event_Started");
}

WedgeSession::~WedgeSession() {
  if (wedge_.IsRunning() && window_) Exit();
  if (started_) CloseHandle(started_);
}

bool WedgeSession::Sim(const std::wstring& arguments, std::string* output) {
  return RunSimterm(arguments, output) == 0;
}

bool WedgeSession::WaitScanning(bool on, DWORD timeoutMs) {
  return Sim(std::wstring(L"wait scanning ") + (on ? L"on" : L"off") + L" --timeout " +
             std::to_wstring(timeoutMs));
}

namespace {

bool WriteImagerSettings(int suffix) {
  CreateDirectoryW(L"C:\\Windows", nullptr);
  const std::string text =
      "[PIXRead]\r\nAdd Suffix=" + std::to_string(suffix) + "\r\nOutput=1\r\nTimeout=3000\r\n";
  return WriteWholeFile(L"C:\\Windows\\PIXSet.ini", text);
}

}  // namespace

bool WedgeSession::Start(const char* reader, const std::string& ini, std::string* why,
                         int imagerSuffix) {
  auto fail = [&](const char* reason) {
    *why = reason;
    return false;
  };
  if (!started_) return fail("no started event");
  if (!PrepareTerminal(reader, ini)) return fail("terminal not prepared");
  for (const std::wstring& preset : presets) {
    if (!Sim(L"set " + preset)) return fail("a reader value was refused");
  }
  if (std::string(reader) == "imager") {
    // With the device naming the imager's folder, SARNU.INI lives beside
    // the imager's own file there.
    if (!Sim(L"set system-name-dir \\Windows") || !WriteImagerSettings(imagerSuffix) ||
        !WriteWholeFile(L"C:\\Windows\\SARNU.INI", ini)) {
      return fail("imager settings not written");
    }
  }
  ResetEvent(started_);
  if (!notepad_.Open()) return fail("notepad did not come up");
  if (!wedge_.Start(program)) return fail("the wedge did not start");
  window_ = WaitForProcessWindow(wedge_.Id(), L"Sarnu", L"Sarnu", false, 20000);
  if (!window_) return fail("no wedge window");
  if (WaitForSingleObject(started_, 20000) != WAIT_OBJECT_0) return fail("reader not activated");
  // The activation ends with the trigger keys; a message answered after the
  // event means the whole activation has run.
  if (!Answers()) return fail("wedge does not answer");
  if (!notepad_.BringForward()) return fail("notepad did not get the focus");
  return true;
}

bool WedgeSession::Exit() {
  if (!window_) return false;
  PostMessageW(window_, WM_COMMAND, 40002, 0);
  window_ = nullptr;
  DWORD code = 99;
  return wedge_.WaitForExit(10000, &code) && code == 0;
}

// From this process, as simterm's "press" would: a simterm start that died
// under Wine left a pull unmade or a trigger held without a word, and the
// step's barcode then seemed lost by the wedge.
void WedgeSession::Press(int vk) {
  keybd_event(BYTE(vk), BYTE(MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC)), 0, 0);
}

void WedgeSession::Release(int vk) {
  keybd_event(BYTE(vk), BYTE(MapVirtualKeyW(UINT(vk), MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
}

void WedgeSession::Pull(DWORD holdMs) {
  Press();
  Sleep(holdMs);
  Release();
}

bool WedgeSession::Answers() const {
  DWORD_PTR unused = 0;
  return SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &unused) != 0;
}

SIZE_T WedgeSession::PrivateBytes() const {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(wedge_.Handle(), &counters, sizeof counters)) return 0;
  // The committed private memory: what a leak would make grow.
  return counters.PagefileUsage;
}

DWORD WedgeSession::HandleCount() const {
  struct Entry {
    ULONG ownerId;
    BYTE objectType, flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  typedef LONG(WINAPI * QueryFn)(ULONG, PVOID, ULONG, PULONG);
  const ULONG kSystemHandleInformation = 16;
  QueryFn query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<BYTE> buffer(1 << 16);
  ULONG needed = 0;
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()), &needed)) ==
         LONG(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
    buffer.resize(buffer.size() * 2);
  }
  if (status < 0) return 0;
  const Table* table = reinterpret_cast<const Table*>(buffer.data());
  DWORD n = 0;
  for (ULONG i = 0; i < table->count; ++i) n += table->entries[i].ownerId == wedge_.Id();
  return n;
}
