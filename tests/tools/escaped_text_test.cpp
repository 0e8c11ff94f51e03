// The escaped form is what scripts compare and what barcodes are typed in:
// it must be exact, total over all bytes, and strict about bad sequences.
#include "escaped_text.h"

#include <gtest/gtest.h>

namespace {

TEST(EscapedText, WritesEachByteClass) {
  struct Row {
    std::string bytes;
    const char* escaped;
  };
  const Row rows[] = {
      {"AZaz09 ~!", "AZaz09 ~!"},
      {"\\", "\\\\"},
      {"\"", "\\\""},
      {"\x1D", "\\x1D"},
      {"\r\n\t", "\\x0D\\x0A\\x09"},
      {std::string("A\0B", 3), "A\\x00B"},
      {"\x7F\x80\xE9\xFF", "\\x7F\\x80\\xE9\\xFF"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Escaped(row.bytes.data(), row.bytes.size()), row.escaped) << row.escaped;
  }
}

TEST(EscapedText, EveryByteRoundTrips) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(char(c));
  std::string back, error;
  ASSERT_TRUE(Unescape(Escaped(all.data(), all.size()).c_str(), &back, &error)) << error;
  EXPECT_EQ(back, all);
}

TEST(EscapedText, ReadsArguments) {
  struct Row {
    const char* text;
    std::string bytes;
  };
  const Row rows[] = {
      {"0101\\x1D17",
       "0101\x1D"
       "17"},
      {"\\x1d\\xe9", "\x1D\xE9"},  // lower-case digits are accepted
      {"a\"b", "a\"b"},            // a bare quote is itself
      {"\\\\n", "\\n"},
      {"", ""},
  };
  for (const Row& row : rows) {
    std::string bytes, error;
    EXPECT_TRUE(Unescape(row.text, &bytes, &error)) << row.text;
    EXPECT_EQ(bytes, row.bytes) << row.text;
  }
}

TEST(EscapedText, RejectsBadSequences) {
  for (const char* text : {"\\q", "ab\\", "\\x", "\\x4", "\\xG1", "\\x4G", "\\t"}) {
    std::string bytes, error;
    EXPECT_FALSE(Unescape(text, &bytes, &error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

}  // namespace
