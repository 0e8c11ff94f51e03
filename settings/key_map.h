// The key map: what the wedge types for each control character of a
// barcode's data (bytes 0x00 to 0x1F and 0x7F), from the section [KeyMap]
// ("1D=text:{GS}") or a profile's KeyMap.1D keys. A byte the map leaves
// alone is typed as it always was. Also the key names that the map and the
// preamble's and postamble's key tokens share.
#pragma once

#include <cstddef>
#include <cstdint>

enum class KeyActionKind : uint8_t {
  Typed,  // not mapped: typed as without a map
  Drop,   // "drop": nothing
  Text,   // "text:<characters>": those characters instead
  Key,    // "key:<name>": that key pressed and released
  Ctrl,   // "ctrl:<letter>": Ctrl held while that letter's key goes down and up
};

enum : size_t { kKeyMapSlots = 33, kKeyActionTextBytes = 31 };

struct KeyAction {
  KeyActionKind kind;
  uint8_t virtualKey;                  // Key: the key; Ctrl: the letter's key
  char text[kKeyActionTextBytes + 1];  // Text: narrow characters, zero-terminated
};

struct KeyMapSetting {
  KeyAction action[kKeyMapSlots];  // 0x00..0x1F, then 0x7F
};

// The map's slot of a byte, or -1 for a byte the map does not cover.
int KeyMapSlot(unsigned char byte);

// A key name of [KeyMap] (two hex digits, "00" to "1F" or "7F", either case)
// as its byte. False for anything else.
bool ParseKeyMapName(const char16_t* name, size_t length, unsigned char* byte);

// A value of the map as its action. False when it is none of the forms (the
// byte is then typed as without a map); `why` (optional) says what is wrong.
bool ParseKeyAction(const char16_t* value, size_t length, KeyAction* action,
                    const char** why = nullptr);

// The virtual key of a key name, without regard to letter case: F1 to F24,
// Enter, Tab, Esc, Backspace, Delete, Insert, Home, End, PgUp, PgDn, Up,
// Down, Left, Right. 0 for an unknown name.
uint8_t NamedKey(const char16_t* name, size_t length);
