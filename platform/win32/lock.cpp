// Lock on Win32: a critical section.
#include "lock.h"

#include <windows.h>

#include <new>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "CRITICAL_SECTION does not fit Lock");

static CRITICAL_SECTION* Section(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

Lock::Lock() { InitializeCriticalSection(new (storage_) CRITICAL_SECTION); }
Lock::~Lock() { DeleteCriticalSection(Section(storage_)); }
void Lock::Enter() { EnterCriticalSection(Section(storage_)); }
void Lock::Leave() { LeaveCriticalSection(Section(storage_)); }
