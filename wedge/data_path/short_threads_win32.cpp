// Counted threads: each start adds one, each end takes one away, and the
// count reaching 0 wakes the exit. The count and the event change together
// under one lock, which is never destroyed: a thread may end after the
// process's statics are gone.
#include "short_threads.h"

#include <windows.h>

#include <new>

#include "lock.h"

namespace {

struct Start {
  ShortThreadProcedure procedure;
  void* argument;
};

struct Ledger {
  Lock lock;
  long running = 0;
  // Manual reset, set while no short thread runs.
  HANDLE noneRunning = CreateEventW(nullptr, TRUE, TRUE, nullptr);

  void Add(long change) {
    LockHolder hold(lock);
    running += change;
    if (running == 0) {
      SetEvent(noneRunning);
    } else {
      ResetEvent(noneRunning);
    }
  }
};

Ledger& TheLedger() {
  alignas(Ledger) static unsigned char storage[sizeof(Ledger)];
  static Ledger* const ledger = new (storage) Ledger;
  return *ledger;
}

DWORD WINAPI Counted(LPVOID start) {
  const Start what = *static_cast<Start*>(start);
  delete static_cast<Start*>(start);
  const int result = what.procedure(what.argument);
  TheLedger().Add(-1);
  return DWORD(result);
}

}  // namespace

bool StartShortThread(ShortThreadProcedure procedure, void* argument) {
  Start* start = new (std::nothrow) Start{procedure, argument};
  if (!start) return false;
  TheLedger().Add(1);
  HANDLE thread = CreateThread(nullptr, 0, Counted, start, 0, nullptr);
  if (!thread) {
    delete start;
    TheLedger().Add(-1);
    return false;
  }
  CloseHandle(thread);
  return true;
}

bool WaitForShortThreads(uint32_t boundMs) {
  return WaitForSingleObject(TheLedger().noneRunning, boundMs) == WAIT_OBJECT_0;
}
