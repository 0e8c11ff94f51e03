// Escape decoding of the filter texts: one row per input with the bytes it
// must become, including the sequences that must stay as typed.
#include <gtest/gtest.h>

#include <string>

#include "settings.h"

namespace {

std::string Decode(std::string text) {
  std::string buffer = text;
  buffer.resize(text.size() + 1);  // room for the terminator, as in the record
  DecodeEscapes(&buffer[0]);
  return std::string(buffer.c_str());
}

struct EscapeCase {
  const char* input;
  std::string expected;
};

TEST(DecodeEscapes, Table) {
  const EscapeCase cases[] = {
      {"AB\\tC", "AB\tC"},
      {"\\x41\\o102", "AB"},
      {"\\q", "\\q"},
      {"abc\\", "abc\\"},
      {"\\x4", "\\x4"},
      {"\\o10", "\\o10"},
      {"\\x41", "A"},
      {"\\o101", "A"},
      {"\\\"\\'\\?\\\\", "\"'?\\"},
      {"\\a\\b\\f\\n\\r\\t\\v", "\a\b\f\n\r\t\v"},
      // A decoded backslash does not open a new sequence.
      {"\\\\n", "\\n"},
      {"\\\\\\n", "\\\n"},
      // Digits up to the first that does not belong; the whole width goes.
      {"\\o1zzX", "\x01X"},
      {"\\x4gX", "\x04X"},
      {"\\o777", "\xFF"},
      {"\\xff\\xFF", "\xFF\xFF"},
      // A produced zero ends the text.
      {"A\\xZZB", "A"},
      {"x\\o8abY", "x"},
      {"\\x00rest", ""},
      // Forms that are not escapes here.
      {"\\101", "\\101"},
      {"\\X41", "\\X41"},
      {"\\", "\\"},
      {"", ""},
      {"plain", "plain"},
  };
  for (const EscapeCase& c : cases) {
    EXPECT_EQ(Decode(c.input), c.expected) << "input: " << c.input;
  }
}

TEST(DecodeEscapes, LengthLimit) {
  std::string longest = "\\t" + std::string(257, 'a');  // 259 bytes: decoded
  EXPECT_EQ(Decode(longest), "\t" + std::string(257, 'a'));
  std::string tooLong = "\\t" + std::string(258, 'a');  // 260 bytes: left alone
  EXPECT_EQ(Decode(tooLong), tooLong);
}

}  // namespace
