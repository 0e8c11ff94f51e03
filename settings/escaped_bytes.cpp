// The one reader and writer of the escaped byte form; sarnuconf's text
// helpers and simterm's arguments both go through it.
#include "escaped_bytes.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

size_t EscapeByte(unsigned char byte, char piece[5]) {
  static const char kHex[] = "0123456789ABCDEF";
  size_t n = 0;
  if (byte == '\\' || byte == '"') {
    piece[n++] = '\\';
    piece[n++] = char(byte);
  } else if (byte >= 0x20 && byte < 0x7F) {
    piece[n++] = char(byte);
  } else {
    piece[n++] = '\\';
    piece[n++] = 'x';
    piece[n++] = kHex[byte >> 4];
    piece[n++] = kHex[byte & 15];
  }
  piece[n] = 0;
  return n;
}

size_t ReadEscaped(const char* text, char* byte, EscapeFault* fault) {
  *fault = EscapeFault::None;
  if (text[0] != '\\') {
    *byte = text[0];
    return 1;
  }
  const char next = text[1];
  if (next == '\\' || next == '"') {
    *byte = next;
    return 2;
  }
  if (next == 'x') {
    // text[3] is only read when text[2] was a digit, not the terminator.
    const int high = HexValue(text[2]);
    const int low = high < 0 ? -1 : HexValue(text[3]);
    if (low < 0) {
      *fault = EscapeFault::ShortHex;
      return 0;
    }
    *byte = char(high * 16 + low);
    return 4;
  }
  *fault = next == 0 ? EscapeFault::LoneBackslash : EscapeFault::UnknownEscape;
  return 0;
}

int DecodeEscaped(const char* text, char* out, uint32_t capacity, uint32_t* length) {
  uint32_t n = 0;
  for (const char* p = text; *p;) {
    char byte = 0;
    EscapeFault fault;
    const size_t taken = ReadEscaped(p, &byte, &fault);
    if (taken == 0 || n >= capacity) return 0;
    out[n++] = byte;
    p += taken;
  }
  *length = n;
  return 1;
}

void EncodeEscaped(const char* data, uint32_t length, char* out, size_t size) {
  if (size == 0) return;
  size_t used = 0;
  out[0] = 0;
  for (uint32_t i = 0; i < length; ++i) {
    char piece[5];
    const size_t n = EscapeByte(static_cast<unsigned char>(data[i]), piece);
    if (used + n >= size) return;
    for (size_t k = 0; k < n; ++k) out[used++] = piece[k];
    out[used] = 0;
  }
}
