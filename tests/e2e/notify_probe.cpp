// notify_probe: the wedge's good-read signals and bulk toggle alone, for the
// end-to-end tests, on the simulated terminal that the test prepared.
//   notify_probe read [--led N] [--vibrator N] [--bulk-active N] [--count N] [--gap MS]
//                     [--hold MS]
//     queues a good read's signals --count times, --gap ms apart, then waits --hold
//     ms (default 1000, beyond the last flash and its restore). Exit 0.
//   notify_probe toggle [--ms MS]
//     runs ToggleBulkModeThread with a main window that toggles bulk mode on
//     UM_TOGGLE_BULK; the window's title becomes "notify_probe ready" once the
//     thread waits. Ends on WM_CLOSE or after --ms. Exit code: BulkActive * 10
//     plus the thread's result.
// Exit codes 2 usage, 5 set-up failed.
#include <windows.h>

#include <cstdint>
#include <cwchar>

#include "device_libraries.h"
#include "notifications.h"
#include "process_globals.h"
#include "scan_device.h"
#include "settings.h"
#include "wedge_events.h"
#include "wedge_messages.h"

namespace {

struct Options {
  uint32_t led = 1;
  uint32_t vibrator = 0;
  uint32_t bulkActive = 0;
  uint32_t count = 1;
  uint32_t gapMs = 150;
  uint32_t runMs = 20000;
  uint32_t holdMs = 1000;
};

bool ParseNumber(const wchar_t* text, uint32_t* value) {
  wchar_t* end = nullptr;
  const unsigned long v = wcstoul(text, &end, 0);
  if (!*text || *end) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

bool ParseOptions(int argc, wchar_t** argv, Options* o) {
  for (int i = 2; i < argc; ++i) {
    if (i + 1 >= argc) return false;
    uint32_t* target = wcscmp(argv[i], L"--led") == 0           ? &o->led
                       : wcscmp(argv[i], L"--vibrator") == 0    ? &o->vibrator
                       : wcscmp(argv[i], L"--bulk-active") == 0 ? &o->bulkActive
                       : wcscmp(argv[i], L"--count") == 0       ? &o->count
                       : wcscmp(argv[i], L"--gap") == 0         ? &o->gapMs
                       : wcscmp(argv[i], L"--ms") == 0          ? &o->runMs
                       : wcscmp(argv[i], L"--hold") == 0        ? &o->holdMs
                                                                : nullptr;
    if (!target || !ParseNumber(argv[++i], target)) return false;
  }
  return true;
}

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == UM_TOGGLE_BULK) {
    ToggleBulkMode();
    return 0;
  }
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateProbeWindow() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ProbeWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"NotifyProbe";
  if (!RegisterClassW(&wc)) return nullptr;
  return CreateWindowExW(0, L"NotifyProbe", L"notify_probe", 0, 0, 0, 0, 0, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

int RunReads(const Options& o) {
  g_scanDevice->LzrLed = static_cast<uint8_t>(o.led);
  g_scanDevice->PixLed = o.led;
  g_scanDevice->Vibrator = o.vibrator;
  g_scanDevice->BulkActive = o.bulkActive;
  for (uint32_t i = 0; i < o.count; ++i) {
    if (i) Sleep(o.gapMs);
    QueueGoodReadSignals();
  }
  Sleep(o.holdMs);
  return 0;
}

DWORD WINAPI RunToggleThread(void*) { return static_cast<DWORD>(ToggleBulkModeThread()); }

int RunToggle(const Options& o, HWND window) {
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuEnd));
  if (!end) return 5;
  HANDLE thread = CreateThread(nullptr, 0, RunToggleThread, nullptr, 0, nullptr);
  if (!thread) return 5;
  // The thread drops a toggle signalled before it waits; give it the time to
  // get there before the test may signal.
  Sleep(300);
  SetWindowTextW(window, L"notify_probe ready");
  const ULONGLONG deadline = GetTickCount64() + o.runMs;
  bool running = true;
  while (running && GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) running = false;
      DispatchMessageW(&msg);
    }
  }
  SetEvent(end);
  DWORD result = 9;
  if (WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0) GetExitCodeThread(thread, &result);
  CloseHandle(thread);
  CloseHandle(end);
  return static_cast<int>(g_scanDevice->BulkActive * 10 + result);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (argc < 2 || !ParseOptions(argc, argv, &options)) return 2;
  const bool toggle = wcscmp(argv[1], L"toggle") == 0;
  if (!toggle && wcscmp(argv[1], L"read") != 0) return 2;

  LoadDeviceLibraries();
  uint32_t extra1 = 0, extra2 = 0;
  g_DvcLib.DvcGetModelName(&ModelCode, &extra1, &extra2);
  g_settings = new Settings();
  HWND window = CreateProbeWindow();
  if (!window) return 5;
  MainWindow = window;
  g_scanDevice = new ScanDevice(window);
  return toggle ? RunToggle(options, window) : RunReads(options);
}
