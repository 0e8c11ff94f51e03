// Injects one synthesised key event into the system's keyboard input, where
// the focused window receives it as if typed. The key table decides the
// events; this seam only knows how the platform takes them.
#pragma once

#include <cstdint>

// One key event. For a character without a key the event carries the
// character's UTF-16 unit (converted from the ANSI code page) instead of a
// virtual key.
struct KeyEvent {
  uint8_t virtualKey;
  char16_t unicode;  // non-zero only for unicode events
  bool up;
};

// A virtual-key event goes out with scan code 0 and no extra information; a
// unicode event (event.unicode non-zero) carries the UTF-16 unit instead of a
// key. Key-downs on CE carry KEYEVENTF_SILENT (no key click); the desktop has
// no such flag, and its flag of the same value (4) means "unicode", so a
// desktop key-down carries no flag at all. Key-ups carry KEYEVENTF_KEYUP on
// both. A unicode event goes to the focus as the character itself: on CE
// through PostKeybdMessage with a character buffer, on the desktop through
// SendInput.
void SendKeyEvent(const KeyEvent& event);

// The keyboard as the user left it: whether a key is held down now (by the
// user, or left down by another program), and whether Caps Lock is on.
bool KeyHeldDown(uint8_t virtualKey);
bool CapsLockOn();
// Called once by the thread that types, as it starts, so that CapsLockOn
// follows every later change of the toggle on that thread.
void BeginKeyInput();
