// The C++ runtime of the terminal's programs: what the compiler's code
// expects besides the C library (allocation without exceptions, guarded
// local statics, atexit, the global constructor list). Product code throws
// nothing, so the throwing operator new is left out on purpose: a program
// that asked for it would not link.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "ce_runtime.h"

typedef void (*ExitFunction)();

namespace {

// Enough for every global with a destructor and every local static of the
// four programs, several times over. A registration past the end is refused.
constexpr int kMaxExitFunctions = 64;
ExitFunction g_exitFunctions[kMaxExitFunctions];
volatile LONG g_exitCount = 0;

// The states of a local static's guard word. The compiler reads bit 0 of
// its first byte without calling us: set means constructed.
constexpr LONG kGuardFree = 0;
constexpr LONG kGuardDone = 1;
constexpr LONG kGuardBusy = 0x100;

}  // namespace

const std::nothrow_t std::nothrow{};

void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes ? bytes : 1);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes ? bytes : 1);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }

extern "C" {

// One thread constructs; any other that arrives meanwhile waits until the
// object is there. Sleep(0) would yield only to threads of the same
// priority: a higher one waiting for a lower one's construction would spin
// for ever, so the wait is a real sleep, which lets any priority run.
int __cxa_guard_acquire(LONG* guard) {
  for (;;) {
    const LONG seen = InterlockedCompareExchange(guard, kGuardBusy, kGuardFree);
    if (seen == kGuardFree) return 1;
    if (seen & kGuardDone) return 0;
    Sleep(1);
  }
}

void __cxa_guard_release(LONG* guard) { InterlockedExchange(guard, kGuardDone); }

void __cxa_guard_abort(LONG* guard) { InterlockedExchange(guard, kGuardFree); }

int atexit(ExitFunction function) {
  const LONG slot = InterlockedIncrement(&g_exitCount) - 1;
  if (slot >= kMaxExitFunctions) {
    InterlockedDecrement(&g_exitCount);
    return -1;
  }
  g_exitFunctions[slot] = function;
  return 0;
}

// A pure virtual call is a fault in the program; end it where it stands.
void __cxa_pure_virtual() { TerminateProcess(GetCurrentProcess(), 3); }

extern ExitFunction __CTOR_LIST__[];
extern ExitFunction __DTOR_LIST__[];

}  // extern "C"

namespace {

void RunGlobalDestructors() {
  for (ExitFunction* entry = __DTOR_LIST__ + 1; *entry; ++entry) (*entry)();
}

}  // namespace

void RunGlobalConstructors() {
  // The list starts with a -1 and ends with a 0; the compiler expects its
  // entries to run from the last to the first, as the MinGW runtime does.
  size_t count = 0;
  while (__CTOR_LIST__[count + 1]) ++count;
  for (size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
  atexit(RunGlobalDestructors);
}

void RunExitFunctions() {
  LONG count = InterlockedExchange(&g_exitCount, 0);
  if (count > kMaxExitFunctions) count = kMaxExitFunctions;
  while (count > 0) g_exitFunctions[--count]();
}
