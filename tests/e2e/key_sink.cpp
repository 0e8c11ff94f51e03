// The key sink's window thread: a plain top-level window whose procedure
// appends each WM_CHAR under a lock, read by the test thread.
#include "key_sink.h"

#include "e2e_support.h"

namespace {
const wchar_t kSinkClass[] = L"SarnuKeySink";
}

KeySink::~KeySink() { Close(); }

LRESULT CALLBACK KeySink::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
  }
  KeySink* self = reinterpret_cast<KeySink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  const bool pasting = self && self->pasteDelayMs_;
  if (pasting && message == WM_KEYDOWN && wParam == 'V' && GetKeyState(VK_CONTROL) < 0) {
    SetTimer(window, 1, self->pasteDelayMs_, nullptr);
    return 0;
  }
  if (pasting && message == WM_TIMER) {
    KillTimer(window, 1);
    if (OpenClipboard(window)) {
      HANDLE data = GetClipboardData(CF_UNICODETEXT);
      const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
      for (const wchar_t* p = text; p && *p; ++p) self->Append(*p);
      if (text) GlobalUnlock(data);
      if (!self->copyAfterPaste_.empty()) {
        EmptyClipboard();
        PutClipboardUnits(self->copyAfterPaste_);
      }
      CloseClipboard();
    }
    return 0;
  }
  // A function key gives no character: it is recorded as U+E000 plus its
  // key. F24 is the trigger key of the tests' terminal, pressed at the sink.
  if (message == WM_KEYDOWN && self && wParam >= VK_F1 && wParam <= VK_F23) {
    self->Append(wchar_t(kFunctionKeyBase + wParam));
    return 0;
  }
  // Ctrl+V's own character is no text.
  if (message == WM_CHAR && self && !(pasting && wParam == 0x16)) {
    self->Append(wchar_t(wParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void KeySink::Append(wchar_t character) {
  EnterCriticalSection(&lock_);
  text_.push_back(character);
  lastTick_ = GetTickCount64();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  lastCounter_ = counter.QuadPart;
  stamps_.push_back(counter.QuadPart);
  LeaveCriticalSection(&lock_);
}

std::vector<LONGLONG> KeySink::Stamps() {
  EnterCriticalSection(&lock_);
  std::vector<LONGLONG> copy = stamps_;
  LeaveCriticalSection(&lock_);
  return copy;
}

DWORD WINAPI KeySink::Thread(void* parameter) {
  KeySink* self = static_cast<KeySink*>(parameter);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kSinkClass;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&windowClass);
  self->window_ = CreateWindowExW(0, kSinkClass, L"key sink", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40,
                                  40, 200, 120, nullptr, nullptr, GetModuleHandleW(nullptr), self);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  SetEvent(self->ready_);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (self->window_) DestroyWindow(self->window_);
  return 0;
}

bool KeySink::Open() {
  InitializeCriticalSection(&lock_);
  lockMade_ = true;
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, Thread, this, 0, &threadId_);
  if (!thread_ || WaitForSingleObject(ready_, 10000) != WAIT_OBJECT_0 || !window_) return false;
  return Focus();
}

bool KeySink::Focus() {
  for (int i = 0; i < 400; ++i) {
    SetForegroundWindow(window_);
    if (GetForegroundWindow() == window_) return true;
    Sleep(10);
  }
  return false;
}

void KeySink::Close() {
  if (thread_) {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  if (ready_) CloseHandle(ready_);
  ready_ = nullptr;
  if (lockMade_) DeleteCriticalSection(&lock_);
  lockMade_ = false;
  window_ = nullptr;
}

std::wstring KeySink::Text() {
  EnterCriticalSection(&lock_);
  std::wstring copy = text_;
  LeaveCriticalSection(&lock_);
  return copy;
}

size_t KeySink::Length() {
  EnterCriticalSection(&lock_);
  const size_t n = text_.size();
  LeaveCriticalSection(&lock_);
  return n;
}

void KeySink::Clear() {
  EnterCriticalSection(&lock_);
  text_.clear();
  stamps_.clear();
  LeaveCriticalSection(&lock_);
}

ULONGLONG KeySink::LastCharacterTick() {
  EnterCriticalSection(&lock_);
  const ULONGLONG t = lastTick_;
  LeaveCriticalSection(&lock_);
  return t;
}

LONGLONG KeySink::LastCharacterCounter() {
  EnterCriticalSection(&lock_);
  const LONGLONG t = lastCounter_;
  LeaveCriticalSection(&lock_);
  return t;
}

bool KeySink::WaitForLength(size_t length, DWORD stallMs) {
  size_t last = 0;
  ULONGLONG lastChange = GetTickCount64();
  for (;;) {
    const size_t now = Length();
    if (now >= length) return true;
    if (now != last) {
      last = now;
      lastChange = GetTickCount64();
    } else if (GetTickCount64() - lastChange > stallMs) {
      return false;
    }
    Sleep(20);
  }
}
