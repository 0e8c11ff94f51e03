// Zero-terminated UTF-16 helpers for the portable core, plus UTF-8 conversion
// for tools and tests. char16_t text has no standard library support worth
// relying on across both compilers, so the few operations we need live here.
#include "wide_text.h"

#include <cstdint>

size_t WideLength(const char16_t* text) {
  if (!text) return 0;
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

size_t WideCopy(char16_t* dst, size_t capacity, const char16_t* src) {
  if (!dst || capacity == 0) return 0;
  size_t n = 0;
  if (src) {
    while (n + 1 < capacity && src[n]) {
      dst[n] = src[n];
      ++n;
    }
  }
  dst[n] = 0;
  return n;
}

void WideAppend(char16_t* dst, size_t capacity, const char16_t* src) {
  if (!dst || capacity == 0) return;
  size_t used = 0;
  while (used < capacity && dst[used]) ++used;
  // An unterminated dst is terminated at its last unit rather than overrun.
  if (used == capacity) {
    dst[capacity - 1] = 0;
    return;
  }
  WideCopy(dst + used, capacity - used, src);
}

int WideCompare(const char16_t* a, const char16_t* b) {
  static const char16_t kEmpty[] = {0};
  if (!a) a = kEmpty;
  if (!b) b = kEmpty;
  size_t i = 0;
  while (a[i] && a[i] == b[i]) ++i;
  if (a[i] == b[i]) return 0;
  return a[i] < b[i] ? -1 : 1;
}

static char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c; }

bool WideEqualNoCaseN(const char16_t* a, const char16_t* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Decodes one UTF-8 sequence at src; malformed input yields U+FFFD and
// consumes one byte so that conversion always moves on.
static uint32_t DecodeUtf8(const unsigned char* src, size_t* used) {
  unsigned char b = src[0];
  *used = 1;
  if (b < 0x80) return b;
  int extra;
  uint32_t cp;
  uint32_t min;
  if ((b & 0xE0) == 0xC0) {
    extra = 1, cp = b & 0x1F, min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    extra = 2, cp = b & 0x0F, min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    extra = 3, cp = b & 0x07, min = 0x10000;
  } else {
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; ++i) {
    if ((src[i] & 0xC0) != 0x80) return 0xFFFD;  // also stops at the terminator
    cp = (cp << 6) | (src[i] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  *used = static_cast<size_t>(extra) + 1;
  return cp;
}

size_t Utf8ToWide(const char* src, char16_t* dst, size_t capacity) {
  if (!dst || capacity == 0) return 0;
  size_t n = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(src ? src : "");
  while (*p) {
    size_t used;
    uint32_t cp = DecodeUtf8(p, &used);
    if (cp >= 0x10000) {
      if (n + 2 >= capacity) break;  // never split a pair
      cp -= 0x10000;
      dst[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      dst[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      if (n + 1 >= capacity) break;
      dst[n++] = static_cast<char16_t>(cp);
    }
    p += used;
  }
  dst[n] = 0;
  return n;
}

size_t WideToUtf8(const char16_t* src, size_t length, char* dst, size_t capacity) {
  if (!dst || capacity == 0) return 0;
  size_t n = 0;
  for (size_t i = 0; src && i < length; ++i) {
    uint32_t cp = src[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && src[i + 1] >= 0xDC00 &&
        src[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (src[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    unsigned char bytes[4];
    size_t count;
    if (cp < 0x80) {
      bytes[0] = static_cast<unsigned char>(cp), count = 1;
    } else if (cp < 0x800) {
      bytes[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      bytes[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F)), count = 2;
    } else if (cp < 0x10000) {
      bytes[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F)), count = 3;
    } else {
      bytes[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
      bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F)), count = 4;
    }
    if (n + count >= capacity) break;  // whole characters only
    for (size_t k = 0; k < count; ++k) dst[n++] = static_cast<char>(bytes[k]);
  }
  dst[n] = 0;
  return n;
}
