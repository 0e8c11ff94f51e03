// Key injection on the terminal: virtual keys through keybd_event, a
// key-down always with KEYEVENTF_SILENT (no key click), and characters
// without a key through PostKeybdMessage with a one-character buffer, which
// the focus of the foreground thread receives as that character whatever
// the keyboard layout.
//
// The two take different ways to the focus. A keybd_event key waits in the
// system's input queue until the input thread has turned it into messages;
// PostKeybdMessage puts its message in the focus's queue at once. A
// character sent right after keys could overtake them (a preamble's Tab
// arriving after the text). So before a character that follows keys, the
// keys still queued are let through: a marker key goes down and up behind
// them, and the character waits until the system's key state has seen both,
// which the input thread records only after it has posted everything queued
// before. Barcodes without such characters go as before, by keybd_event
// alone.
#include "key_input.h"

#include <windows.h>

namespace {

// PostKeybdMessage's window meaning "the focus of the foreground thread".
HWND const kForegroundFocus = reinterpret_cast<HWND>(-1);

// A virtual key assigned to nothing, so the focus ignores it.
const BYTE kMarkerKey = 0xE8;
// If the input thread does not move in this time the character goes anyway:
// a late character is better than a lost one.
const int kFlushLimitMs = 250;

// Keys sent by keybd_event since the queue was last let through. Only the
// output thread types.
bool g_keysQueued = false;

// Waits, in 1 ms steps from `*waited` on, until the marker reads `down`.
void WaitForMarker(bool down, int* waited) {
  while (*waited < kFlushLimitMs && ((GetAsyncKeyState(kMarkerKey) & 0x8000) != 0) != down) {
    Sleep(1);
    ++*waited;
  }
}

void LetQueuedKeysThrough() {
  int waited = 0;
  keybd_event(kMarkerKey, 0, KEYEVENTF_SILENT, 0);
  WaitForMarker(true, &waited);
  keybd_event(kMarkerKey, 0, KEYEVENTF_KEYUP, 0);
  WaitForMarker(false, &waited);
  g_keysQueued = false;
}

}  // namespace

void SendKeyEvent(const KeyEvent& event) {
  if (event.unicode == 0) {
    keybd_event(event.virtualKey, 0, event.up ? KEYEVENTF_KEYUP : KEYEVENTF_SILENT, 0);
    g_keysQueued = true;
    return;
  }
  if (g_keysQueued) LetQueuedKeysThrough();
  UINT state = event.up ? KeyStatePrevDownFlag : KeyStateDownFlag;
  UINT character = event.unicode;
  PostKeybdMessage(kForegroundFocus, 0, state, 1, &state, &character);
}

bool KeyHeldDown(uint8_t virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

// The terminal keeps one key state for the whole system, so any thread reads
// the toggle the program in front sees.
bool CapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

void BeginKeyInput() {}
