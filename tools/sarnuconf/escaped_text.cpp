// sarnuconf's lines and arguments in the escaped byte form (escaped_bytes.h).
// The form is unambiguous and pure ASCII, so scripts can compare lines byte
// for byte whatever the terminal's character set.
#include "escaped_text.h"

#include <cstring>

#include "escaped_bytes.h"

void AppendEscaped(const char* bytes, size_t length, std::string* out) {
  char piece[5];
  for (size_t i = 0; i < length; ++i) {
    out->append(piece, EscapeByte(static_cast<unsigned char>(bytes[i]), piece));
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
  for (size_t i = 0; text[i] != 0;) {
    char byte = 0;
    EscapeFault fault;
    const size_t taken = ReadEscaped(text + i, &byte, &fault);
    switch (fault) {
      case EscapeFault::None:
        bytes->push_back(byte);
        i += taken;
        continue;
      case EscapeFault::ShortHex:
        *error = "\\x needs two hexadecimal digits";
        return false;
      case EscapeFault::LoneBackslash:
        *error = "a lone \\ at the end (write \\\\ for a backslash)";
        return false;
      case EscapeFault::UnknownEscape:
        *error = "unknown escape \\" + Escaped(text + i + 1, 1) + " (use \\\\, \\\" or \\xHH)";
        return false;
    }
  }
  return true;
}
