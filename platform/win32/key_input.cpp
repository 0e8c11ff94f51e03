// Key injection on the desktop: virtual keys through keybd_event, characters
// without a key through SendInput as unicode events (keybd_event's scan code
// is only a byte and cannot carry a UTF-16 unit).
#include "key_input.h"

#include <windows.h>

bool KeyHeldDown(uint8_t virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

// The toggle is part of a thread's input state, and the output thread has
// none of its own: it reads the one of the program in front.
bool CapsLockOn() {
  const DWORD self = GetCurrentThreadId();
  const DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const bool attached = front != 0 && front != self && AttachThreadInput(self, front, TRUE);
  const bool on = (GetKeyState(VK_CAPITAL) & 1) != 0;
  if (attached) AttachThreadInput(self, front, FALSE);
  return on;
}

void SendKeyEvent(const KeyEvent& event) {
  const DWORD up = event.up ? KEYEVENTF_KEYUP : 0;
  if (event.unicode == 0) {
    keybd_event(event.virtualKey, 0, up, 0);
    return;
  }
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = WORD(event.unicode);
  input.ki.dwFlags = KEYEVENTF_UNICODE | up;
  SendInput(1, &input, sizeof input);
}
