// The ANSI code page on Win32: whatever the system's CP_ACP is. The calls are
// wrapped so that a full destination ends the text at a whole character
// instead of failing, which is what the callers' fixed buffers need.
#include "text_codec.h"

#include <windows.h>

#include <climits>
#include <cstdlib>

static int ClampToInt(size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

static bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
static bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

size_t AnsiToWide(const char* src, size_t srcLen, char16_t* dst, size_t dstCap) {
  if (!src || !dst || srcLen == 0 || dstCap == 0) return 0;
  int len = ClampToInt(srcLen);
  int needed = MultiByteToWideChar(CP_ACP, 0, src, len, nullptr, 0);
  if (needed <= 0) return 0;
  if (static_cast<size_t>(needed) <= dstCap) {
    return static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, src, len, reinterpret_cast<WCHAR*>(dst), needed));
  }
  // Too long: convert all of it aside and keep what fits, never half a pair.
  WCHAR* all = static_cast<WCHAR*>(malloc(static_cast<size_t>(needed) * sizeof(WCHAR)));
  if (!all) return 0;
  int got = MultiByteToWideChar(CP_ACP, 0, src, len, all, needed);
  size_t keep = dstCap < static_cast<size_t>(got) ? dstCap : static_cast<size_t>(got);
  if (keep > 0 && keep < static_cast<size_t>(got) && IsHighSurrogate(all[keep - 1])) --keep;
  for (size_t i = 0; i < keep; ++i) dst[i] = all[i];
  free(all);
  return keep;
}

// Best-fit mapping would turn, say, a Latin letter with a macron into a plain
// letter; a '?' is the honest answer. UTF-8 as the ANSI code page refuses the
// flag, and represents everything anyway.
static DWORD NoBestFitFlags() { return GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS; }

// UTF-8 as the ANSI code page takes no lpUsedDefaultChar (and needs none).
static BOOL* UsedDefaultOut(BOOL* flag) { return GetACP() == CP_UTF8 ? nullptr : flag; }

static bool HasSurrogatePair(const char16_t* src, size_t srcLen) {
  for (size_t i = 0; i + 1 < srcLen; ++i) {
    if (IsHighSurrogate(src[i]) && IsLowSurrogate(src[i + 1])) return true;
  }
  return false;
}

size_t WideToAnsi(const char16_t* src, size_t srcLen, char* dst, size_t dstCap) {
  if (!src || !dst || srcLen == 0 || dstCap == 0) return 0;
  const WCHAR* wsrc = reinterpret_cast<const WCHAR*>(src);
  DWORD flags = NoBestFitFlags();
  int len = ClampToInt(srcLen);
  BOOL usedDefault = FALSE;
  int needed = WideCharToMultiByte(CP_ACP, flags, wsrc, len, nullptr, 0, nullptr,
                                   UsedDefaultOut(&usedDefault));
  // A pair the code page lacks comes out as two '?' from the system; it is one
  // character, so that case goes the slow way below.
  bool pairsToMend = usedDefault && HasSurrogatePair(src, srcLen);
  if (needed > 0 && static_cast<size_t>(needed) <= dstCap && !pairsToMend) {
    return static_cast<size_t>(
        WideCharToMultiByte(CP_ACP, flags, wsrc, len, dst, needed, nullptr, nullptr));
  }
  // One character at a time, so that a cut falls between two.
  size_t out = 0;
  for (size_t i = 0; i < srcLen;) {
    int units = (IsHighSurrogate(src[i]) && i + 1 < srcLen && IsLowSurrogate(src[i + 1])) ? 2 : 1;
    char bytes[16];
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, flags, wsrc + i, units, bytes, sizeof bytes, nullptr,
                                UsedDefaultOut(&lost));
    if (units == 2 && lost) bytes[0] = '?', n = 1;
    if (n <= 0 || out + static_cast<size_t>(n) > dstCap) break;
    for (int k = 0; k < n; ++k) dst[out++] = bytes[k];
    i += static_cast<size_t>(units);
  }
  return out;
}
