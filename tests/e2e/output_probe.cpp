// output_probe: the wedge's output path alone, for the end-to-end tests. Pushes
// the barcodes of its command line into the OutputQueue, signals
// "EventSarnuDataAvailable", runs OutputThread until the queue is typed and
// then ends it through "EventSarnuEnd".
//   output_probe [--suffix-code N] [--buffer-type N] [--caps-lock] TEXT...
// TEXT is a raw barcode as the reader delivers it (suffix included), escaped:
// "\\" is a backslash, "\xHH" any byte. With --caps-lock the probe switches
// Caps Lock on through the system's key input once the output thread runs,
// and off again at the end. Exit codes: 0 typed, 2 usage, 3 OutputThread
// failed, 4 time-out, 5 set-up failed, 6 Caps Lock not on after the barcodes.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "barcode.h"
#include "block_queue.h"
#include "key_output.h"
#include "settings.h"
#include "stage_stamps.h"
#include "wedge_events.h"

namespace {

uint8_t g_probeSuffixChar = 0;
uint8_t g_probeBufferType = 4;

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// False for a malformed escape or a character outside printable ASCII (the
// command line's code page would decide what such a character becomes).
bool Unescape(const wchar_t* text, std::string* bytes) {
  for (const wchar_t* p = text; *p; ++p) {
    if (*p != L'\\') {
      if (*p < 0x20 || *p > 0x7E) return false;
      bytes->push_back(static_cast<char>(*p));
    } else if (p[1] == L'\\') {
      bytes->push_back('\\');
      ++p;
    } else if (p[1] == L'x' && HexDigit(p[2]) >= 0 && HexDigit(p[3]) >= 0) {
      bytes->push_back(static_cast<char>(HexDigit(p[2]) * 16 + HexDigit(p[3])));
      p += 3;
    } else {
      return false;
    }
  }
  return true;
}

bool ParseByte(const wchar_t* text, uint8_t* value) {
  wchar_t* end = nullptr;
  const unsigned long v = wcstoul(text, &end, 0);
  if (!*text || *end || v > 255) return false;
  *value = static_cast<uint8_t>(v);
  return true;
}

DWORD WINAPI RunOutputThread(void*) { return static_cast<DWORD>(OutputThread()); }

HANDLE g_outputAwake = nullptr;

void PressCapsLock() {
  keybd_event(VK_CAPITAL, 0, 0, 0);
  keybd_event(VK_CAPITAL, 0, KEYEVENTF_KEYUP, 0);
}

// This thread sees the toggle change as the output thread does.
bool CapsLockBecomes(bool on) {
  const ULONGLONG deadline = GetTickCount64() + 2000;
  while (((GetKeyState(VK_CAPITAL) & 1) != 0) != on) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(5);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> barcodes;
  bool capsLock = false;
  for (int i = 1; i < argc; ++i) {
    if (wcscmp(argv[i], L"--caps-lock") == 0) {
      capsLock = true;
    } else if (wcscmp(argv[i], L"--suffix-code") == 0 && i + 1 < argc) {
      if (!ParseByte(argv[++i], &g_probeSuffixChar)) return 2;
    } else if (wcscmp(argv[i], L"--buffer-type") == 0 && i + 1 < argc) {
      if (!ParseByte(argv[++i], &g_probeBufferType)) return 2;
    } else {
      std::string bytes;
      if (!Unescape(argv[i], &bytes)) {
        fwprintf(stderr, L"output_probe: bad barcode %ls\n", argv[i]);
        return 2;
      }
      barcodes.push_back(bytes);
    }
  }
  if (barcodes.empty()) return 2;

  // The settings the wedge would read on this terminal (filter, pre- and
  // postamble) and a window of our own to own the clipboard.
  g_settings = new Settings();
  SetOutputBufferType(&g_probeBufferType);
  HWND owner = CreateWindowExW(0, L"Static", L"output_probe", 0, 0, 0, 0, 0, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!owner) return 5;
  SetClipboardOwner(owner);

  HANDLE data =
      CreateEventW(nullptr, FALSE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuDataAvailable));
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuEnd));
  if (!data || !end) return 5;
  HANDLE thread = nullptr;
  if (capsLock) {
    // Caps Lock goes on once the output thread has woken with nothing to
    // type, so it is a change the thread sees.
    GetKeyState(VK_CAPITAL);
    g_outputAwake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_stageStampHook = [](int stage) {
      if (stage == kStageOutputAwake) SetEvent(g_outputAwake);
    };
    SetEvent(data);
    thread = CreateThread(nullptr, 0, RunOutputThread, nullptr, 0, nullptr);
    if (!g_outputAwake || !thread || WaitForSingleObject(g_outputAwake, 10000) != WAIT_OBJECT_0) {
      return 5;
    }
    PressCapsLock();
    if (!CapsLockBecomes(true)) return 5;
  }

  // Each as a read of this terminal's reader, with the suffix code given.
  for (std::string& b : barcodes) {
    Barcode barcode =
        MakeBarcode(g_settings->GetScannerType(), b.data(), b.size(), 0, g_probeSuffixChar);
    if (!PushBarcode(OutputQueue, barcode)) return 5;
  }
  SetEvent(data);
  if (!thread) thread = CreateThread(nullptr, 0, RunOutputThread, nullptr, 0, nullptr);
  if (!thread) return 5;

  // The queue is empty once the last item is taken; the thread then finishes
  // typing it before it looks at EventSarnuEnd again.
  const ULONGLONG deadline = GetTickCount64() + 20000;
  while (!OutputQueue.IsEmpty() && GetTickCount64() < deadline) {
    if (WaitForSingleObject(thread, 2) == WAIT_OBJECT_0) break;
  }
  const bool drained = OutputQueue.IsEmpty();
  SetEvent(end);
  DWORD result = 0;
  const bool ended = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  if (ended) GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  CloseHandle(data);
  CloseHandle(end);
  if (ended && result != 1) return 3;  // also when it ended before the queue was typed
  if (!drained || !ended) return 4;
  if (capsLock) {
    const bool restored = CapsLockBecomes(true);
    PressCapsLock();
    if (!restored) return 6;
  }
  return 0;
}
