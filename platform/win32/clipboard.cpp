// Delayed rendering on Win32: SetClipboardData with no data makes the owner
// window the one the system asks when a program reads the format.
#include "clipboard.h"

#include <windows.h>

#include <atomic>

namespace {

// The text offered and not yet taken; swapped out by whoever comes first,
// the owner window handing it over or the waiter withdrawing it.
std::atomic<char16_t*> g_offered{nullptr};

HANDLE TakenEvent() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

size_t Units(const char16_t* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// The program that just took the paste may still hold the clipboard open
// while it reads; a restore that gave up then would lose the user's text.
bool OpenPatiently(void* owner) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(static_cast<HWND>(owner))) return true;
    Sleep(5);
  }
  return false;
}

}  // namespace

char16_t* ClipboardAlloc(uint32_t units) {
  return static_cast<char16_t*>(LocalAlloc(LPTR, units * sizeof(char16_t)));
}

void ClipboardFree(char16_t* block) {
  if (block) LocalFree(block);
}

bool ClipboardSaveText(void* owner, char16_t** saved) {
  *saved = nullptr;
  if (!OpenPatiently(owner)) return false;
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

bool ClipboardOffer(void* owner, char16_t* text) {
  ClipboardFree(g_offered.exchange(nullptr));
  if (!OpenPatiently(owner)) {
    ClipboardFree(text);
    return false;
  }
  EmptyClipboard();
  ResetEvent(TakenEvent());
  g_offered.store(text);
  SetClipboardData(CF_UNICODETEXT, nullptr);
  CloseClipboard();
  return true;
}

void ClipboardRenderOffered(bool allFormats, void* owner) {
  char16_t* text = g_offered.exchange(nullptr);
  if (!text) return;
  // Asked for every format as the owner goes away: the clipboard must be
  // opened, and may have found another owner meanwhile.
  if (allFormats && !OpenClipboard(static_cast<HWND>(owner))) {
    ClipboardFree(text);
    return;
  }
  if (!allFormats || GetClipboardOwner() == static_cast<HWND>(owner)) {
    if (!SetClipboardData(CF_UNICODETEXT, text)) ClipboardFree(text);
  } else {
    ClipboardFree(text);
  }
  if (allFormats) CloseClipboard();
  SetEvent(TakenEvent());
}

bool ClipboardWaitTaken(uint32_t boundMs) {
  WaitForSingleObject(TakenEvent(), boundMs);
  // Still here: nobody asked in time. Gone: handed over, if only just now.
  if (char16_t* text = g_offered.exchange(nullptr)) {
    ClipboardFree(text);
    return false;
  }
  return true;
}

bool ClipboardRestore(void* owner, char16_t* saved) {
  if (!OpenPatiently(owner)) {
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
