// Injects one synthesised key event into the system's keyboard input, where
// the focused window receives it as if typed. The key table decides the
// events; this seam only knows how the platform takes them.
#pragma once

struct KeyEvent;  // key_table.h

// A virtual-key event goes out with scan code 0 and no extra information; a
// unicode event (event.unicode non-zero) carries the UTF-16 unit instead of a
// key. Key-downs on CE carry KEYEVENTF_SILENT (no key click); the desktop has
// no such flag, and its flag of the same value (4) means "unicode", so a
// desktop key-down carries no flag at all. Key-ups carry KEYEVENTF_KEYUP on
// both.
void SendKeyEvent(const KeyEvent& event);
