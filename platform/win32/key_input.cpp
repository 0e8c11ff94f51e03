// Key injection on the desktop: virtual keys through keybd_event, characters
// without a key through SendInput as unicode events (keybd_event's scan code
// is only a byte and cannot carry a UTF-16 unit).
#include "key_input.h"

#include <windows.h>

bool KeyHeldDown(uint8_t virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

// The desktop keeps the toggle in each thread's input state, and the output
// thread has none of its own, so on the desktop stand-in this reads off.
// Reading the state of the program in front (by joining its input) proved
// unreliable there: a state not yet brought up to date turned a letter.
bool CapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

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
