// The ANSI code page on the host: Windows-1252, the code page of the
// terminals we ship to. Mapped by hand so the host build needs no iconv and
// gives exactly the bytes the terminal would.
#include "text_codec.h"

#include <cstdint>

// 0x80..0x9F, where Windows-1252 differs from Latin-1. The five bytes the code
// page leaves undefined map to the control characters of the same value, as
// Windows does, so that any narrow file survives a round trip unchanged.
static const char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

static char16_t ByteToWide(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
  return b;
}

// The byte for one UTF-16 unit, or '?' when Windows-1252 has none.
static char WideToByte(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

size_t AnsiToWide(const char* src, size_t srcLen, char16_t* dst, size_t dstCap) {
  if (!src || !dst) return 0;
  size_t n = srcLen < dstCap ? srcLen : dstCap;
  for (size_t i = 0; i < n; ++i) dst[i] = ByteToWide(static_cast<unsigned char>(src[i]));
  return n;
}

size_t WideToAnsi(const char16_t* src, size_t srcLen, char* dst, size_t dstCap) {
  if (!src || !dst) return 0;
  size_t out = 0;
  for (size_t i = 0; i < srcLen && out < dstCap; ++i) {
    char16_t c = src[i];
    // A surrogate pair is one character and becomes one '?'.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < srcLen && src[i + 1] >= 0xDC00 &&
        src[i + 1] <= 0xDFFF) {
      ++i;
    }
    dst[out++] = WideToByte(c);
  }
  return out;
}
