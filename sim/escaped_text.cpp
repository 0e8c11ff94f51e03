// Decoding and encoding of the escaped barcode form used on simterm's command line.
#include "escaped_text.h"

#include <cstdio>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int DecodeEscaped(const char* text, char* out, uint32_t capacity, uint32_t* length) {
  uint32_t n = 0;
  for (const char* p = text; *p; ++p) {
    char byte = *p;
    if (byte == '\\') {
      ++p;
      if (*p == '\\' || *p == '"') {
        byte = *p;
      } else if (*p == 'x') {  // never \X: sarnuconf refuses it, and one barcode file suits both
        int high = HexValue(p[1]);
        int low = high < 0 ? -1 : HexValue(p[2]);
        if (low < 0) return 0;
        byte = static_cast<char>(high * 16 + low);
        p += 2;
      } else {
        return 0;  // also a backslash at the very end
      }
    }
    if (n >= capacity) return 0;
    out[n++] = byte;
  }
  *length = n;
  return 1;
}

void EncodeEscaped(const char* data, uint32_t length, char* out, size_t size) {
  if (size == 0) return;
  size_t used = 0;
  out[0] = 0;
  for (uint32_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    char piece[5];
    if (c == '\\' || c == '"') {
      snprintf(piece, sizeof piece, "\\%c", c);
    } else if (c >= 0x20 && c < 0x7F) {
      snprintf(piece, sizeof piece, "%c", c);
    } else {
      snprintf(piece, sizeof piece, "\\x%02X", c);
    }
    size_t piece_length = 0;
    while (piece[piece_length]) ++piece_length;
    if (used + piece_length >= size) return;
    for (size_t k = 0; k < piece_length; ++k) out[used++] = piece[k];
    out[used] = 0;
  }
}
