// Key injection on the desktop: virtual keys through keybd_event, characters
// without a key through SendInput as unicode events (keybd_event's scan code
// is only a byte and cannot carry a UTF-16 unit).
#include "key_input.h"

#include <windows.h>

bool KeyHeldDown(uint8_t virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

// The desktop keeps the toggles in each thread's input state. Under Wine a
// thread's state begins with the toggles off when it first asks, and from
// then on takes every change the keyboard makes: the typing thread asks as
// it starts, and sees Caps Lock pressed from then on, though not a Caps Lock
// already on before it started. Reading the state of the program in front
// instead (by joining its input) proved unreliable: a state not yet brought
// up to date turned a letter.
bool CapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

void BeginKeyInput() { GetKeyState(VK_CAPITAL); }

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
