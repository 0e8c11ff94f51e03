#include "long_threads.h"

#include "wedge_events.h"

void ThreadEvents::CloseEvent(HANDLE handle) { CloseHandle(handle); }

ThreadEvents::ThreadEvents(const wchar_t* errorBox, std::initializer_list<HANDLE> own,
                           Closer close)
    : close_(close) {
  handles_[count_++] =
      CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const WCHAR*>(kEventSarnuEnd));
  ready_ = handles_[0] != nullptr && own.size() < kMaxHandles;
  for (HANDLE h : own) {
    if (count_ == kMaxHandles) break;
    handles_[count_++] = h;
    ready_ = ready_ && h != nullptr;
  }
  if (ready_) return;
  if (errorBox) MessageBoxW(nullptr, errorBox, L"ERROR", MB_ICONEXCLAMATION);
  CloseAll();
}

ThreadEvents::~ThreadEvents() { CloseAll(); }

void ThreadEvents::CloseAll() {
  for (size_t i = 0; i < count_; ++i) {
    if (!handles_[i]) continue;
    if (i == 0) {
      CloseHandle(handles_[i]);
    } else if (close_) {
      close_(handles_[i]);
    }
    handles_[i] = nullptr;
  }
  count_ = 0;
}
