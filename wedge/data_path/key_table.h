// Which key, with or without Shift, types a character (the US layout), and
// the exact key events of one character. Portable so that the wedge and
// sarnuconf produce the same sequence.
#pragma once

#include <cstddef>
#include <cstdint>

#include "key_input.h"  // KeyEvent

enum : uint8_t {
  kVkShift = 0x10,
  kVkControl = 0x11,
  kVkV = 0x56,
  kVkLeftWindows = 0x5B,
};

// keybd_event flags used by the wedge.
enum : uint32_t {
  kKeyDownFlags = 4,  // KEYEVENTF_SILENT
  kKeyUpFlags = 2,    // KEYEVENTF_KEYUP
  kKeyUnicodeFlag = 0x8000,
};

struct KeyMapping {
  uint8_t virtualKey;  // 0: no key in the table
  bool shift;
};

// The table entry of a byte; bytes 128 to 255 and 0 have no key.
KeyMapping LookupKey(unsigned char character);


// The events that type one character, in order: Left Windows up, Shift down
// (when shifted), key down, key up, Shift up. Bytes 128 to 255 are typed as a
// Left Windows up and a unicode key down and up. Byte 0 gives nothing. Returns the number of events
// written to `events` (room for kMaxKeyEventsPerCharacter).
enum : size_t { kMaxKeyEventsPerCharacter = 5 };
size_t KeyEventsForCharacter(unsigned char character, KeyEvent* events);

// The events of one key of the key map or a key token: Left Windows up, Ctrl
// down (with `ctrl`), the key down and up, Ctrl up. Returns the number of
// events (at most kMaxKeyEventsPerCharacter).
size_t KeyEventsForKey(uint8_t virtualKey, bool ctrl, KeyEvent* events);

// The events of Ctrl+V.
enum : size_t { kPasteEventCount = 4 };
void PasteKeyEvents(KeyEvent* events);
