// Escaping and unescaping of bytes for sarnuconf's lines and arguments. The
// form is unambiguous and pure ASCII, so scripts can compare lines byte for
// byte whatever the terminal's character set.
#include "escaped_text.h"

#include <cstring>

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void AppendEscaped(const char* bytes, size_t length, std::string* out) {
  static const char kHex[] = "0123456789ABCDEF";
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c == '\\' || c == '"') {
      out->push_back('\\');
      out->push_back(char(c));
    } else if (c >= 0x20 && c < 0x7F) {
      out->push_back(char(c));
    } else {
      out->push_back('\\');
      out->push_back('x');
      out->push_back(kHex[c >> 4]);
      out->push_back(kHex[c & 15]);
    }
  }
}

std::string Escaped(const char* bytes, size_t length) {
  std::string out;
  AppendEscaped(bytes, length, &out);
  return out;
}

std::string Escaped(const char* text) { return Escaped(text, std::strlen(text)); }

bool Unescape(const char* text, std::string* bytes, std::string* error) {
  bytes->clear();
  for (size_t i = 0; text[i] != 0; ++i) {
    if (text[i] != '\\') {
      bytes->push_back(text[i]);
      continue;
    }
    const char next = text[i + 1];
    if (next == '\\' || next == '"') {
      bytes->push_back(next);
      ++i;
      continue;
    }
    if (next == 'x') {
      // text[i + 2] is only read when text[i + 2 - 1] was not the terminator.
      const int high = HexDigitValue(text[i + 2]);
      const int low = high < 0 ? -1 : HexDigitValue(text[i + 3]);
      if (low < 0) {
        *error = "\\x needs two hexadecimal digits";
        return false;
      }
      bytes->push_back(char(high * 16 + low));
      i += 3;
      continue;
    }
    *error = next == 0 ? "a lone \\ at the end (write \\\\ for a backslash)"
                       : "unknown escape \\" + Escaped(&next, 1) + " (use \\\\, \\\" or \\xHH)";
    return false;
  }
  return true;
}
