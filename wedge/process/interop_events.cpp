// The DataReader listener: it never touches the reader itself, it only posts
// the request to the main window, so every reader change runs on the UI
// thread.
#include "interop_events.h"

#include <windows.h>

#include "long_threads.h"
#include "process_globals.h"
#include "thread_priority.h"
#include "wedge_events.h"
#include "wedge_messages.h"

int DataReaderEventListenerThread() {
  SetThreadPriorityCe(2);
  ThreadEvents events(L"DataReaderEventListenerThread\r\nEvent\r\nERROR!",
                      {CreateEventW(nullptr, FALSE, FALSE, kReaderStartEventName),
                       CreateEventW(nullptr, FALSE, FALSE, kReaderStopEventName),
                       CreateEventW(nullptr, FALSE, FALSE, kReaderCamModeEventName)});
  if (!events.Ready()) return 0;
  // A start or stop asked before the wedge ran is stale; a camera-mode
  // request stays pending.
  ResetEvent(events.Own(1));
  ResetEvent(events.Own(2));
  static const UINT kRequest[] = {0, UM_READER_START, UM_READER_STOP, UM_READER_CAMMODE};
  const ThreadEvents::LoopEnd how = events.Loop([](size_t which) {
    PostMessageW(MainWindow, kRequest[which], 0, 0);
    return true;
  });
  return how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
}
