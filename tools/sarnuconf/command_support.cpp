// What the commands share: complaints on one line, the INI argument turned
// into a path the product's file code takes as it is, strict numbers and
// UTF-8 conversions.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>

#include "commands.h"
#include "file_io.h"
#include "ini_file.h"
#include "sarnuconf.h"
#include "wide_text.h"

int Fail(const Io& io, const char* format, ...) {
  std::fputs("sarnuconf: ", io.err);
  va_list args;
  va_start(args, format);
  std::vfprintf(io.err, format, args);
  va_end(args);
  std::fputc('\n', io.err);
  return kExitUsage;
}

bool ResolveIniPath(const Io& io, const char* nativePath, bool mustRead, char16_t* productPath) {
  if (nativePath[0] == 0) {
    Fail(io, "the INI path is empty");
    return false;
  }
  if (!NativeToProductPath(nativePath, productPath, kPathUnits)) {
    Fail(io, "path too long: %s", nativePath);
    return false;
  }
  if (!mustRead) return true;
  // Only an existing file: a missing one would quietly read as all defaults,
  // and a folder is not an INI file.
  uint32_t attributes = 0;
  if (!FileGetAttributes(productPath, &attributes) || (attributes & kFileAttrDirectory) != 0) {
    Fail(io, "cannot read %s: no such file", nativePath);
    return false;
  }
  IniFile file;
  const bool readable = IniOpen(&file, productPath);
  IniClose(&file);
  if (!readable) {
    Fail(io, "cannot read %s", nativePath);
    return false;
  }
  return true;
}

bool ParseDecimal(const char* text, long long low, long long high, long long* value) {
  const char* p = text;
  if (*p == '+' || *p == '-') ++p;
  if (*p < '0' || *p > '9') return false;
  for (const char* q = p; *q; ++q) {
    if (*q < '0' || *q > '9') return false;
  }
  errno = 0;
  const long long v = std::strtoll(text, nullptr, 10);
  if (errno == ERANGE || v < low || v > high) return false;
  *value = v;
  return true;
}

std::string Utf8(const char16_t* text, size_t length) {
  // A UTF-16 unit becomes at most three bytes (a pair of units four).
  std::string out(length * 3 + 1, '\0');
  out.resize(WideToUtf8(text, length, &out[0], out.size()));
  return out;
}

std::string Utf8(const char16_t* text) { return Utf8(text, WideLength(text)); }

std::u16string Utf16(const char* utf8) {
  // Never more units than bytes.
  std::u16string out(std::char_traits<char>::length(utf8) + 1, u'\0');
  out.resize(Utf8ToWide(utf8, &out[0], out.size()));
  return out;
}
