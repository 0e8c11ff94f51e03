// The US-layout key table and the key events that type one character, shared
// by the wedge's output thread and sarnuconf's preview so both agree on every
// event. The Win32 layer only turns these records into keybd_event calls.
#include "key_table.h"

#include "text_codec.h"

namespace {

struct Punctuation {
  char character;
  uint8_t virtualKey;
  bool shift;
};

// The printable characters that are neither letters nor digits.
const Punctuation kPunctuation[] = {
    {'!', 0x31, true},  {'@', 0x32, true}, {'#', 0x33, true},   {'$', 0x34, true},
    {'%', 0x35, true},  {'^', 0x36, true}, {'&', 0x37, true},   {'*', 0x38, true},
    {'(', 0x39, true},  {')', 0x30, true}, {';', 0xBA, false},  {':', 0xBA, true},
    {'=', 0xBB, false}, {'+', 0xBB, true}, {',', 0xBC, false},  {'<', 0xBC, true},
    {'-', 0xBD, false}, {'_', 0xBD, true}, {'.', 0xBE, false},  {'>', 0xBE, true},
    {'/', 0xBF, false}, {'?', 0xBF, true}, {'`', 0xC0, false},  {'~', 0xC0, true},
    {'[', 0xDB, false}, {'{', 0xDB, true}, {'\\', 0xDC, false}, {'|', 0xDC, true},
    {']', 0xDD, false}, {'}', 0xDD, true}, {'\'', 0xDE, false}, {'"', 0xDE, true},
};

KeyEvent Key(uint8_t virtualKey, bool up) { return KeyEvent{virtualKey, 0, up}; }

}  // namespace

KeyMapping LookupKey(unsigned char character) {
  // Controls, blank and DEL are sent as their own byte value: CR is Enter,
  // TAB is Tab, GS goes out as 0x1D.
  if ((character >= 1 && character <= 32) || character == 127) return {character, false};
  if (character >= '0' && character <= '9') return {character, false};
  if (character >= 'A' && character <= 'Z') return {character, true};
  if (character >= 'a' && character <= 'z') return {uint8_t(character - 'a' + 'A'), false};
  for (const Punctuation& p : kPunctuation) {
    if (static_cast<unsigned char>(p.character) == character) return {p.virtualKey, p.shift};
  }
  return {0, false};
}

// Every character starts with a Left Windows up: a Windows key still held
// would turn the character into a shell shortcut.
size_t KeyEventsForCharacter(unsigned char character, KeyEvent* events) {
  if (character == 0) return 0;
  size_t n = 0;
  const KeyMapping key = LookupKey(character);
  if (key.virtualKey == 0) {
    // No key on the US layout: send the character itself, as the code page
    // reads it, so accented letters arrive as what was scanned.
    const char narrow = char(character);
    char16_t unit = 0;
    if (AnsiToWide(&narrow, 1, &unit, 1) != 1 || unit == 0) return 0;
    events[n++] = Key(kVkLeftWindows, true);
    events[n++] = KeyEvent{0, unit, false};
    events[n++] = KeyEvent{0, unit, true};
    return n;
  }
  events[n++] = Key(kVkLeftWindows, true);
  if (key.shift) events[n++] = Key(kVkShift, false);
  events[n++] = Key(key.virtualKey, false);
  events[n++] = Key(key.virtualKey, true);
  if (key.shift) events[n++] = Key(kVkShift, true);
  return n;
}

size_t KeyEventsForKey(uint8_t virtualKey, bool ctrl, KeyEvent* events) {
  size_t n = 0;
  events[n++] = Key(kVkLeftWindows, true);
  if (ctrl) events[n++] = Key(kVkControl, false);
  events[n++] = Key(virtualKey, false);
  events[n++] = Key(virtualKey, true);
  if (ctrl) events[n++] = Key(kVkControl, true);
  return n;
}

void PasteKeyEvents(KeyEvent* events) {
  events[0] = Key(kVkControl, false);
  events[1] = Key(kVkV, false);
  events[2] = Key(kVkV, true);
  events[3] = Key(kVkControl, true);
}
