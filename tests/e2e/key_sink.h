// A window of the test process that takes the keyboard focus and records
// every character the system delivers to it. Wine's notepad takes about
// 11 ms per character under Xvfb, so a thousand-barcode run would measure
// notepad; the sink takes characters as fast as they come, which lets the
// load test and the scan benchmark see the wedge's own pace.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class KeySink {
 public:
  KeySink() = default;
  ~KeySink();
  KeySink(const KeySink&) = delete;
  KeySink& operator=(const KeySink&) = delete;

  // Creates the window on a thread of its own and brings it forward; false
  // when it could not get the focus.
  bool Open();
  void Close();
  // Brings the window forward again (after a box took the focus).
  bool Focus();

  // The characters received so far (WM_CHAR, CR for Enter; a function key
  // F1 to F23 as kFunctionKeyBase + its virtual key).
  static constexpr wchar_t kFunctionKeyBase = 0xE000;
  std::wstring Text();
  size_t Length();
  void Clear();
  // Polls until `length` characters arrived or nothing came for `stallMs`.
  bool WaitForLength(size_t length, DWORD stallMs);
  // QueryPerformanceCounter at every character's arrival, in order.
  std::vector<LONGLONG> Stamps();
  // From now on Ctrl+V is taken as a paste that reads the clipboard only
  // `delayMs` later, as a slow application would; its text joins the rest.
  // With `copy`, the sink then copies that text of its own at once, while
  // it still has the clipboard open.
  void PasteLate(DWORD delayMs, const std::wstring& copy = std::wstring()) {
    pasteDelayMs_ = delayMs;
    copyAfterPaste_ = copy;
  }
  // GetTickCount64 / QueryPerformanceCounter when the last character arrived.
  ULONGLONG LastCharacterTick();
  LONGLONG LastCharacterCounter();

  HWND Window() const { return window_; }

 private:
  static DWORD WINAPI Thread(void* self);
  void Append(wchar_t character);
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HANDLE ready_ = nullptr;
  HWND window_ = nullptr;
  CRITICAL_SECTION lock_;
  bool lockMade_ = false;
  std::wstring text_;
  std::vector<LONGLONG> stamps_;
  DWORD pasteDelayMs_ = 0;
  std::wstring copyAfterPaste_;
  ULONGLONG lastTick_ = 0;
  LONGLONG lastCounter_ = 0;
};
