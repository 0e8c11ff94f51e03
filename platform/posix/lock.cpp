// Lock on POSIX: a recursive pthread mutex, like a critical section.
#include "lock.h"

#include <pthread.h>

#include <new>

static_assert(sizeof(pthread_mutex_t) <= 64, "pthread_mutex_t does not fit Lock");

static pthread_mutex_t* Mutex(unsigned char* storage) {
  return reinterpret_cast<pthread_mutex_t*>(storage);
}

Lock::Lock() {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(new (storage_) pthread_mutex_t, &attr);
  pthread_mutexattr_destroy(&attr);
}

Lock::~Lock() { pthread_mutex_destroy(Mutex(storage_)); }
void Lock::Enter() { pthread_mutex_lock(Mutex(storage_)); }
void Lock::Leave() { pthread_mutex_unlock(Mutex(storage_)); }
