// The laser's read thread on Win32. For now it keeps its events and its life
// in step with the wedge; taking the barcodes comes with trigger handling.
#include <windows.h>

#include "device_api.h"
#include "reader_input.h"
#include "settings.h"
#include "thread_priority.h"
#include "wedge_events.h"

int LzrReadThread() {
  if (!g_settings || g_settings->ScannerType != kScannerLaser) return 0;
  SetThreadPriorityCe(2);
  HANDLE end = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuEnd));
  HANDLE scanning = CreateEventW(nullptr, FALSE, FALSE, kLzrScanningEventName);
  if (!end || !scanning) {
    MessageBoxW(nullptr, L"LzrReadThread\r\nEvent\r\nERROR!", L"ERROR", MB_ICONEXCLAMATION);
    if (end) CloseHandle(end);
    if (scanning) CloseHandle(scanning);
    return 0;
  }
  const HANDLE events[2] = {end, scanning};
  int result = 1;
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0) break;
    // Waiting again after a failed wait would spin a core for ever.
    if (woke == WAIT_FAILED) {
      result = 0;
      break;
    }
  }
  CloseHandle(end);
  CloseHandle(scanning);
  return result;
}
