// Escape sequences in the preamble, postamble and FNC1 texts: users type
// "\t" or "\x0D" to send control characters that an edit box cannot hold.
// Decoding happens once, when the text is stored, not per barcode.
#include <cstring>

#include "settings.h"

namespace {

int DigitValue(char c, int base) {
  int value;
  if (c >= '0' && c <= '9') {
    value = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    value = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    value = c - 'A' + 10;
  } else {
    return -1;
  }
  return value < base ? value : -1;
}

// Up to `count` digits, stopping at the first that does not belong to the
// base; no digit at all reads as 0.
int ReadDigits(const char* digits, int count, int base) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    int digit = DigitValue(digits[i], base);
    if (digit < 0) break;
    value = value * base + digit;
  }
  return value % 256;
}

// The byte that the sequence at text[at] (a backslash) stands for, and how
// many characters after the backslash it replaces; false when the backslash
// starts no sequence and stays as written.
bool DecodeOne(const char* text, size_t at, size_t length, int* byte, size_t* extra) {
  size_t after = length - at - 2;  // characters behind the one after the backslash
  *extra = 1;
  switch (text[at + 1]) {
    case '"':
      *byte = 34;
      return true;
    case '\'':
      *byte = 39;
      return true;
    case '?':
      *byte = 63;
      return true;
    case '\\':
      *byte = 92;
      return true;
    case 'a':
      *byte = 7;
      return true;
    case 'b':
      *byte = 8;
      return true;
    case 'f':
      *byte = 12;
      return true;
    case 'n':
      *byte = 10;
      return true;
    case 'r':
      *byte = 13;
      return true;
    case 't':
      *byte = 9;
      return true;
    case 'v':
      *byte = 11;
      return true;
    case 'o':
      if (after < 3) return false;
      *byte = ReadDigits(text + at + 2, 3, 8);
      *extra = 4;
      return true;
    case 'x':
      if (after < 2) return false;
      *byte = ReadDigits(text + at + 2, 2, 16);
      *extra = 3;
      return true;
    default:
      return false;
  }
}

}  // namespace

void DecodeEscapes(char* text) {
  if (text == nullptr) return;
  size_t length = std::strlen(text);
  if (length > 259) return;
  // i + 1 < length: a backslash in the last position has nothing to escape.
  for (size_t i = 0; i + 1 < length; ++i) {
    if (text[i] != '\\') continue;
    int byte;
    size_t extra;
    if (!DecodeOne(text, i, length, &byte, &extra)) continue;
    if (byte == 0) {
      text[i] = '\0';
      return;
    }
    text[i] = static_cast<char>(byte);
    // Moves the terminator too; the loop then resumes behind the produced
    // byte, so a decoded backslash never opens another sequence.
    std::memmove(text + i + 1, text + i + 1 + extra, length - i - extra);
    length -= extra;
  }
}
