// The skeleton every long-running thread of the wedge shares: EventSarnuEnd
// and the thread's own handles opened together, an ownerless error box when
// one cannot be had, and the wait loop that ends at EventSarnuEnd. Each
// thread's own file holds only what it does when woken.
#pragma once

#include <windows.h>

#include <cstddef>
#include <initializer_list>

class ThreadEvents {
 public:
  typedef void (*Closer)(HANDLE handle);

  // Opens EventSarnuEnd (manual reset) and takes `own`, the thread's own
  // handles, waited for in this order after the end; null stands for one
  // that could not be had. When any is missing, `errorBox` (null: none) is
  // shown without an owner, captioned "ERROR", and every handle is closed
  // again. `close` closes the own handles (null: they are left open).
  ThreadEvents(const wchar_t* errorBox, std::initializer_list<HANDLE> own,
               Closer close = CloseEvent);
  ~ThreadEvents();
  ThreadEvents(const ThreadEvents&) = delete;
  ThreadEvents& operator=(const ThreadEvents&) = delete;

  bool Ready() const { return ready_; }
  HANDLE End() const { return handles_[0]; }
  // The thread's own handle `which` (1 is the first after the end).
  HANDLE Own(size_t which) const { return handles_[which]; }

  enum class LoopEnd { kEnd, kStopped, kFailed };

  // Waits until EventSarnuEnd (kEnd). For each own handle signalled it calls
  // wake(which) with which from 1, and at a time-out of waitMs (read afresh
  // before every wait) wake(0); wake returns false to stop the loop
  // (kStopped). A failed wait ends it too (kFailed): waiting again would fail
  // again at once and spin a core for ever.
  template <class Wake>
  LoopEnd Loop(Wake wake) {
    for (;;) {
      const DWORD woke = WaitForMultipleObjects(DWORD(count_), handles_, FALSE, waitMs);
      if (woke == WAIT_OBJECT_0) return LoopEnd::kEnd;
      if (woke > WAIT_OBJECT_0 && woke < WAIT_OBJECT_0 + count_) {
        if (!wake(size_t(woke - WAIT_OBJECT_0))) return LoopEnd::kStopped;
      } else if (woke == WAIT_TIMEOUT) {
        if (!wake(size_t(0))) return LoopEnd::kStopped;
      } else if (woke == WAIT_FAILED) {
        return LoopEnd::kFailed;
      }
    }
  }

  DWORD waitMs = INFINITE;

  static void CloseEvent(HANDLE handle);

 private:
  void CloseAll();

  static const size_t kMaxHandles = 4;
  HANDLE handles_[kMaxHandles] = {};
  size_t count_ = 0;
  Closer close_;
  bool ready_ = false;
};
