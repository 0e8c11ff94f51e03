// Delayed rendering on Win32: SetClipboardData with no data makes the owner
// window the one the system asks when a program reads the format. The owner
// is a hidden window on a thread that only answers the clipboard's messages.
#include "clipboard.h"

#include <windows.h>

#include <atomic>

namespace {

// The text offered and not yet handed over; swapped out by whoever comes
// first, the owner window handing it over or a new offer replacing it.
std::atomic<char16_t*> g_offered{nullptr};
// While the target's paste is awaited, a program reading from behind gets
// nothing: handing it the text would leave nothing for the target's paste to
// ask, and that paste would pass unseen.
std::atomic<bool> g_withheld{false};
// Set once a program behind was seen reading at an offer: it reads at every
// change and is then waited for (ClipboardOffer).
std::atomic<bool> g_listenerSeen{false};
HWND g_owner = nullptr;
HANDLE g_ownerThread = nullptr;

HANDLE TakenEvent() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

HANDLE BehindReadEvent() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

size_t Units(const char16_t* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

enum class Reader { kTarget, kBehind, kUnknown };

// The paste's target is the program in front; the window that has the
// clipboard open during the request tells who asks. A read without a window,
// or our own (the next barcode's save), cannot be told apart from the target.
Reader WhoAsks(HWND owner) {
  const HWND reader = GetOpenClipboardWindow();
  const HWND front = GetForegroundWindow();
  if (!reader || reader == owner || !front) return Reader::kUnknown;
  DWORD readerProcess = 0;
  DWORD frontProcess = 0;
  GetWindowThreadProcessId(reader, &readerProcess);
  GetWindowThreadProcessId(front, &frontProcess);
  return readerProcess == frontProcess ? Reader::kTarget : Reader::kBehind;
}

void RenderOffered(bool allFormats, HWND owner) {
  const Reader reader = allFormats ? Reader::kUnknown : WhoAsks(owner);
  // Unrendered, the text stays offered and the system asks again next time.
  if (reader == Reader::kBehind && g_withheld.load()) {
    SetEvent(BehindReadEvent());
    return;
  }
  char16_t* text = g_offered.exchange(nullptr);
  if (!text) return;
  // Asked for every format as the owner goes away: the clipboard must be
  // opened, and may have found another owner meanwhile.
  if (allFormats && !OpenClipboard(owner)) {
    ClipboardFree(text);
    return;
  }
  const bool paste = reader == Reader::kTarget;
  if (!allFormats || GetClipboardOwner() == owner) {
    if (!SetClipboardData(CF_UNICODETEXT, text)) ClipboardFree(text);
  } else {
    ClipboardFree(text);
  }
  if (allFormats) CloseClipboard();
  if (paste) SetEvent(TakenEvent());
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
      RenderOffered(message == WM_RENDERALLFORMATS, window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

DWORD WINAPI OwnerThread(LPVOID ready) {
  WNDCLASSW type = {};
  type.lpfnWndProc = OwnerProc;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"SarnuClipboard";
  RegisterClassW(&type);
  g_owner = CreateWindowExW(0, L"SarnuClipboard", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            type.hInstance, nullptr);
  SetEvent(static_cast<HANDLE>(ready));
  if (!g_owner) return 0;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

// Made when the first paste needs it; null when it could not be made.
HWND Owner() {
  static const HWND owner = [] {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!ready) return HWND(nullptr);
    g_ownerThread = CreateThread(nullptr, 0, OwnerThread, ready, 0, nullptr);
    if (g_ownerThread) WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    return g_owner;
  }();
  return owner;
}

// The program that just took the paste may still hold the clipboard open
// while it reads; a restore that gave up then would lose the user's text.
bool OpenPatiently(HWND owner) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(5);
  }
  return false;
}

// Programs that listen for clipboard changes read right after the offer; a
// paste that came while one of them held the clipboard open would find it
// busy and paste nothing. A listener seen once reads at every offer and is
// waited for longer than one that may not exist; then until it let go.
void LetListenersRead() {
  const DWORD boundMs = g_listenerSeen.load() ? 500 : 50;
  if (WaitForSingleObject(BehindReadEvent(), boundMs) == WAIT_OBJECT_0) g_listenerSeen.store(true);
  for (int attempt = 0; attempt < 100 && GetOpenClipboardWindow(); ++attempt) Sleep(5);
}

}  // namespace

char16_t* ClipboardAlloc(uint32_t units) {
  return static_cast<char16_t*>(LocalAlloc(LPTR, units * sizeof(char16_t)));
}

void ClipboardFree(char16_t* block) {
  if (block) LocalFree(block);
}

bool ClipboardSaveText(char16_t** saved) {
  *saved = nullptr;
  if (!OpenPatiently(Owner())) return false;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const char16_t* text = static_cast<const char16_t*>(GlobalLock(data))) {
      const size_t units = Units(text);
      if ((*saved = ClipboardAlloc(uint32_t(units + 1)))) {
        for (size_t i = 0; i < units; ++i) (*saved)[i] = text[i];
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return true;
}

bool ClipboardOffer(char16_t* text) {
  const HWND owner = Owner();
  if (!owner || !OpenPatiently(owner)) {
    ClipboardFree(text);
    return false;
  }
  EmptyClipboard();
  ClipboardFree(g_offered.exchange(nullptr));
  ResetEvent(TakenEvent());
  ResetEvent(BehindReadEvent());
  g_offered.store(text);
  g_withheld.store(true);
  SetClipboardData(CF_UNICODETEXT, nullptr);
  CloseClipboard();
  LetListenersRead();
  return true;
}

bool ClipboardWaitTaken(uint32_t boundMs) {
  const bool taken = WaitForSingleObject(TakenEvent(), boundMs) == WAIT_OBJECT_0;
  // Unconfirmed, the barcode must not be kept from whoever pastes it now.
  g_withheld.store(false);
  return taken;
}

bool ClipboardRestore(char16_t* saved) {
  const HWND owner = Owner();
  if (!owner || !OpenPatiently(owner)) {
    ClipboardFree(saved);
    return false;
  }
  // Another program copied meanwhile: its text is what the user wants now.
  if (GetClipboardOwner() != owner) {
    CloseClipboard();
    ClipboardFree(saved);
    return false;
  }
  EmptyClipboard();
  bool ok = true;
  if (saved && !SetClipboardData(CF_UNICODETEXT, saved)) {
    ClipboardFree(saved);
    ok = false;
  }
  CloseClipboard();
  return ok;
}

void ClipboardEnd() {
  if (!g_ownerThread) return;
  // Destroying the owner renders what is still offered, then ends its loop.
  if (g_owner) SendMessageW(g_owner, WM_CLOSE, 0, 0);
  WaitForSingleObject(g_ownerThread, 2000);
  CloseHandle(g_ownerThread);
  g_ownerThread = nullptr;
}
