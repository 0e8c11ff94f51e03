// The DataReader listener: it never touches the reader itself, it only posts
// the request to the main window, so every reader change runs on the UI
// thread.
#include "interop_events.h"

#include <windows.h>

#include "process_globals.h"
#include "thread_priority.h"
#include "wedge_events.h"
#include "wedge_messages.h"

int DataReaderEventListenerThread() {
  SetThreadPriorityCe(2);
  HANDLE events[4] = {
      CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuEnd)),
      CreateEventW(nullptr, FALSE, FALSE, kReaderStartEventName),
      CreateEventW(nullptr, FALSE, FALSE, kReaderStopEventName),
      CreateEventW(nullptr, FALSE, FALSE, kReaderCamModeEventName),
  };
  bool complete = true;
  for (HANDLE e : events) complete = complete && e != nullptr;
  if (!complete) {
    MessageBoxW(nullptr, L"DataReaderEventListenerThread\r\nEvent\r\nERROR!", L"ERROR",
                MB_ICONEXCLAMATION);
    for (HANDLE e : events) {
      if (e) CloseHandle(e);
    }
    return 0;
  }
  // A start or stop asked before the wedge ran is stale; a camera-mode
  // request stays pending.
  ResetEvent(events[1]);
  ResetEvent(events[2]);
  static const UINT kRequest[4] = {0, UM_READER_START, UM_READER_STOP, UM_READER_CAMMODE};
  int result = 1;
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(4, events, FALSE, INFINITE);
    if (woke == WAIT_OBJECT_0) break;
    if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + 4) {
      PostMessageW(MainWindow, kRequest[woke - WAIT_OBJECT_0], 0, 0);
    } else if (woke == WAIT_FAILED) {
      // Waiting again after a failed wait would spin a core for ever.
      result = 0;
      break;
    }
  }
  for (HANDLE e : events) CloseHandle(e);
  return result;
}
