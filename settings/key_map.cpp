// Reading the key map's names and values.
#include "key_map.h"

#include <cstring>

#include "text_codec.h"
#include "wide_text.h"

namespace {

struct KeyName {
  const char16_t* name;
  uint8_t virtualKey;
};

constexpr KeyName kKeyNames[] = {
    {u"Enter", 0x0D},  {u"Tab", 0x09},  {u"Esc", 0x1B},  {u"Backspace", 0x08}, {u"Delete", 0x2E},
    {u"Insert", 0x2D}, {u"Home", 0x24}, {u"End", 0x23},  {u"PgUp", 0x21},      {u"PgDn", 0x22},
    {u"Up", 0x26},     {u"Down", 0x28}, {u"Left", 0x25}, {u"Right", 0x27},
};

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool StartsWith(const char16_t* text, size_t length, const char16_t* prefix, size_t* rest) {
  size_t n = 0;
  while (prefix[n]) ++n;
  if (length < n || !WideEqualNoCaseN(text, prefix, n)) return false;
  *rest = n;
  return true;
}

}  // namespace

int KeyMapSlot(unsigned char byte) {
  if (byte < 0x20) return byte;
  return byte == 0x7F ? 32 : -1;
}

bool ParseKeyMapName(const char16_t* name, size_t length, unsigned char* byte) {
  if (length != 2 || HexDigit(name[0]) < 0 || HexDigit(name[1]) < 0) return false;
  const int value = HexDigit(name[0]) * 16 + HexDigit(name[1]);
  if (KeyMapSlot(static_cast<unsigned char>(value)) < 0) return false;
  *byte = static_cast<unsigned char>(value);
  return true;
}

uint8_t NamedKey(const char16_t* name, size_t length) {
  for (const KeyName& key : kKeyNames) {
    size_t n = 0;
    while (key.name[n]) ++n;
    if (n == length && WideEqualNoCaseN(name, key.name, n)) return key.virtualKey;
  }
  // F1 to F24.
  if (length < 2 || length > 3 || (name[0] != u'F' && name[0] != u'f')) return 0;
  int number = 0;
  for (size_t i = 1; i < length; ++i) {
    if (name[i] < u'0' || name[i] > u'9') return 0;
    number = number * 10 + (name[i] - u'0');
  }
  if (number < 1 || number > 24 || name[1] == u'0') return 0;
  return static_cast<uint8_t>(0x70 + number - 1);
}

bool ParseKeyAction(const char16_t* value, size_t length, KeyAction* action, const char** why) {
  const char* unused;
  if (!why) why = &unused;
  KeyAction parsed = {};
  size_t at = 0;
  if (length == 4 && WideEqualNoCaseN(value, u"drop", 4)) {
    parsed.kind = KeyActionKind::Drop;
  } else if (StartsWith(value, length, u"text:", &at)) {
    if (at == length) return *why = "names no characters", false;
    // A text too long for the map is refused whole, never cut.
    char narrow[2 * kKeyActionTextBytes + 2];
    const size_t bytes = WideToAnsi(value + at, length - at, narrow, sizeof narrow);
    if (length - at > kKeyActionTextBytes || bytes > kKeyActionTextBytes) {
      return *why = "is longer than 31 characters", false;
    }
    std::memcpy(parsed.text, narrow, bytes);
    parsed.kind = KeyActionKind::Text;
  } else if (StartsWith(value, length, u"key:", &at)) {
    parsed.virtualKey = NamedKey(value + at, length - at);
    if (parsed.virtualKey == 0) return *why = "names no key the wedge knows", false;
    parsed.kind = KeyActionKind::Key;
  } else if (StartsWith(value, length, u"ctrl:", &at)) {
    if (length - at != 1) return *why = "takes one letter", false;
    char16_t letter = value[at];
    if (letter >= u'a' && letter <= u'z') letter = char16_t(letter - u'a' + u'A');
    if (letter < u'A' || letter > u'Z') return *why = "takes one letter", false;
    parsed.virtualKey = static_cast<uint8_t>(letter);
    parsed.kind = KeyActionKind::Ctrl;
  } else {
    return *why = "is not drop, text:, key: or ctrl:", false;
  }
  *action = parsed;
  return true;
}
