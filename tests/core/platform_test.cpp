// The platform seams as the settings store uses them: the ANSI code page
// conversions, whole-file access with its path mapping and the read-only
// (ROM) rule, the UTF-16 helpers, and the terminal's 64-bit division. Run
// natively and under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "divide64.h"
#include "file_io.h"
#include "program_name_cache.h"
#include "test_support.h"
#include "text_codec.h"
#include "wide_text.h"

namespace {

std::u16string ToWide(const std::string& bytes) {
  std::u16string out(bytes.size() + 1, u'\0');
  out.resize(AnsiToWide(bytes.data(), bytes.size(), &out[0], out.size()));
  return out;
}

std::string ToAnsi(const std::u16string& text, size_t capacity = 64) {
  std::string out(capacity, '\0');
  out.resize(WideToAnsi(text.data(), text.size(), &out[0], capacity));
  return out;
}

struct CodecCase {
  const char* bytes;
  const char16_t* text;
};

// Both directions; the five bytes the code page leaves undefined come back as
// themselves, so a narrow file survives a rewrite.
const CodecCase kCodecCases[] = {
    {"Abc 123", u"Abc 123"},
    {"\xE9t\xE9", u"\u00E9t\u00E9"},
    {"\x80", u"\u20AC"},
    {"\x8A\x9F", u"\u0160\u0178"},
    {"\x93quoted\x94", u"\u201Cquoted\u201D"},
    {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
    {"\xA0\xFF", u"\u00A0\u00FF"},
};

TEST(TextCodec, ConvertsBothWays) {
  for (const CodecCase& c : kCodecCases) {
    EXPECT_EQ(ToWide(c.bytes), std::u16string(c.text)) << c.bytes;
    EXPECT_EQ(ToAnsi(c.text), std::string(c.bytes)) << c.bytes;
  }
}

TEST(TextCodec, UnrepresentableBecomesQuestionMark) {
  EXPECT_EQ(ToAnsi(u"a\u0100b"), "a?b");  // no best-fit "A"
  EXPECT_EQ(ToAnsi(u"x\u4E2Dy"), "x?y");
  EXPECT_EQ(ToAnsi(u"\U0001F600!"), "?!");  // a surrogate pair is one character
}

TEST(TextCodec, StopsAtFullDestination) {
  char16_t wide[3];
  EXPECT_EQ(AnsiToWide("abcdef", 6, wide, 3), 3u);
  EXPECT_EQ(std::u16string(wide, 3), u"abc");
  EXPECT_EQ(ToAnsi(u"\u00E9\u00E9\u00E9\u00E9", 2), "\xE9\xE9");
  EXPECT_EQ(AnsiToWide("", 0, wide, 3), 0u);
  EXPECT_EQ(WideToAnsi(u"", 0, nullptr, 0), 0u);
}

class FileSeam : public testing::Test {
 protected:
  TempFolder folder_;
};

TEST_F(FileSeam, ReadsWhatWasWrittenWithTrailingZero) {
  std::u16string path = folder_.File("data.bin");
  std::string bytes("a\0b\xFF", 4);
  ASSERT_TRUE(FileReplaceThroughTemp(path.c_str(), bytes.data(), bytes.size()));
  unsigned char* data;
  size_t size;
  uint32_t attributes = 99;
  ASSERT_TRUE(FileReadAll(path.c_str(), &data, &size, &attributes));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), bytes);
  EXPECT_EQ(data[size], 0);
  EXPECT_EQ(attributes & kFileAttrInRom, 0u);
  FileFreeData(data);
  EXPECT_FALSE(FileExists(path + u".tmp"));
}

TEST_F(FileSeam, MissingFileAndFolderFailToRead) {
  unsigned char* data = reinterpret_cast<unsigned char*>(1);
  size_t size;
  uint32_t attributes;
  EXPECT_FALSE(FileReadAll(folder_.File("none").c_str(), &data, &size, &attributes));
  EXPECT_EQ(data, nullptr);
  EXPECT_FALSE(FileReadAll(folder_.Path().c_str(), &data, &size, &attributes));
  EXPECT_FALSE(FileGetAttributes(folder_.File("none").c_str(), &attributes));
  ASSERT_TRUE(FileGetAttributes(folder_.Path().c_str(), &attributes));
  EXPECT_NE(attributes & kFileAttrDirectory, 0u);
}

TEST_F(FileSeam, ReplaceOverwritesShorter) {
  std::u16string path = folder_.File("f.txt");
  ASSERT_TRUE(WriteBytes(path, "a long first content"));
  ASSERT_TRUE(WriteBytes(path, "short"));
  EXPECT_EQ(ReadBytes(path), "short");
  ASSERT_TRUE(WriteBytes(path, ""));
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(ReadBytes(path), "");
}

TEST_F(FileSeam, ReadOnlyFileCountsAsRomAndIsNotReplaced) {
  std::u16string path = folder_.File("rom.ini");
  ASSERT_TRUE(WriteBytes(path, "original"));
  ASSERT_TRUE(SetReadOnly(path, true));
  uint32_t attributes;
  ASSERT_TRUE(FileGetAttributes(path.c_str(), &attributes));
  EXPECT_NE(attributes & kFileAttrInRom, 0u);
  EXPECT_FALSE(WriteBytes(path, "changed"));
  EXPECT_FALSE(FileDelete(path.c_str()));
  EXPECT_EQ(ReadBytes(path), "original");
  EXPECT_FALSE(FileExists(path + u".tmp"));
  ASSERT_TRUE(SetReadOnly(path, false));
  EXPECT_TRUE(WriteBytes(path, "changed"));
}

TEST_F(FileSeam, CopyAndDelete) {
  std::u16string from = folder_.File("from");
  std::u16string to = folder_.File("to");
  ASSERT_TRUE(WriteBytes(from, "one"));
  EXPECT_TRUE(FileCopy(from.c_str(), to.c_str(), true));
  EXPECT_EQ(ReadBytes(to), "one");
  ASSERT_TRUE(WriteBytes(from, "two"));
  EXPECT_FALSE(FileCopy(from.c_str(), to.c_str(), true));
  EXPECT_EQ(ReadBytes(to), "one");
  EXPECT_TRUE(FileCopy(from.c_str(), to.c_str(), false));
  EXPECT_EQ(ReadBytes(to), "two");
  EXPECT_FALSE(FileCopy(folder_.File("none").c_str(), to.c_str(), false));
  EXPECT_TRUE(FileDelete(to.c_str()));
  EXPECT_FALSE(FileExists(to));
  EXPECT_FALSE(FileDelete(to.c_str()));
}

TEST(TerminalPaths, LiveInTheTerminalsFoldersWithoutRegardToCase) {
  ResetTerminalFolders();
  ASSERT_TRUE(WriteBytes(u"\\Temp\\Mixed.Case", "x"));
  EXPECT_EQ(ReadBytes(u"\\TEMP\\mixed.case"), "x");
  EXPECT_TRUE(FileExists(u"\\temp"));
  EXPECT_TRUE(FileExists(u"\\windows\\startup"));
  EXPECT_TRUE(FileDelete(u"\\temp\\MIXED.CASE"));
  EXPECT_FALSE(FileExists(u"\\Temp\\Mixed.Case"));
  EXPECT_FALSE(WriteBytes(u"", "x"));
}

TEST(TerminalPaths, NativePathsBecomeProductPaths) {
  char16_t path[512];
  ASSERT_TRUE(NativeToProductPath("some-file.ini", path, 512));
  std::u16string text(path);
  EXPECT_EQ(text.substr(0, 4), u"\\\\?\\");
  EXPECT_EQ(text.substr(text.size() - 13), u"some-file.ini");
  EXPECT_GT(text.size(), 4u + 13u);  // made absolute
  EXPECT_FALSE(NativeToProductPath("some-file.ini", path, 10));
  EXPECT_FALSE(NativeToProductPath("", path, 512));

  TempFolder folder;
  ASSERT_FALSE(folder.Path().empty());
  EXPECT_TRUE(WriteBytes(folder.File("n.txt"), "native"));
  EXPECT_EQ(ReadBytes(folder.File("n.txt")), "native");
}

// An ended program's id given to a later one: its window tells them apart.
TEST(ProgramNameCache, RecycledProcessIdIsNamedAfresh) {
  ProgramNameCache cache;
  const int first = 0, second = 0;
  cache.Keep(100, &first, L"wms.exe");
  EXPECT_STREQ(L"wms.exe", cache.Find(100, &first));
  EXPECT_EQ(nullptr, cache.Find(100, &second));
}

TEST(WideText, CopyAppendCompare) {
  char16_t buffer[6];
  EXPECT_EQ(WideCopy(buffer, 6, u"abcdefgh"), 5u);
  EXPECT_EQ(std::u16string(buffer), u"abcde");
  EXPECT_EQ(WideCopy(buffer, 6, nullptr), 0u);
  EXPECT_EQ(buffer[0], 0);
  WideCopy(buffer, 6, u"ab");
  WideAppend(buffer, 6, u"cdefg");
  EXPECT_EQ(std::u16string(buffer), u"abcde");
  EXPECT_EQ(WideLength(u"abc"), 3u);
  EXPECT_EQ(WideLength(nullptr), 0u);
  EXPECT_EQ(WideCompare(u"abc", u"abd"), -1);
  EXPECT_EQ(WideCompare(u"abc", u"ab"), 1);
  EXPECT_EQ(WideCompare(u"abc", u"abc"), 0);
  EXPECT_TRUE(WideEqualNoCaseN(u"BulkLimit", u"BULKLIMIT", 9));
  EXPECT_FALSE(WideEqualNoCaseN(u"Bulk[", u"bulk{", 5));  // only letters fold
}

TEST(WideText, Utf8RoundTripKeepsWholeCharacters) {
  const char* utf8 = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € 😀
  char16_t wide[8];
  EXPECT_EQ(Utf8ToWide(utf8, wide, 8), 5u);
  EXPECT_EQ(std::u16string(wide), u"a\u00E9\u20AC\U0001F600");
  char back[16];
  EXPECT_EQ(WideToUtf8(wide, 5, back, 16), 10u);
  EXPECT_STREQ(back, utf8);
  EXPECT_EQ(Utf8ToWide(utf8, wide, 5), 3u);     // the pair does not fit: left out whole
  EXPECT_EQ(WideToUtf8(wide, 3, back, 5), 3u);  // "€" needs 3 more bytes
  EXPECT_EQ(Utf8ToWide("\xFF", wide, 8), 1u);
  EXPECT_EQ(wide[0], 0xFFFD);
}

// The terminal's helper against the compiler's own division, signs and
// extremes included (the INI writer divides 64-bit values by ten).
TEST(TerminalDivision, AgreesWithNativeDivision) {
  const int64_t cases[][2] = {
      {0, 7},          {12345, 10},          {-12345, 10},       {12345, -10},
      {-12345, -10},   {INT64_MAX, 1},       {INT64_MIN, 1},     {INT64_MIN, -7},
      {INT64_MAX, 3},  {-1, INT64_MAX},      {2147483648LL, 10}, {INT64_MIN + 1, INT64_MIN},
  };
  for (const auto& c : cases) {
    int64_t signedResult[2] = {c[0], c[1]};
    SarnuSignedDivide64(signedResult);
    EXPECT_EQ(signedResult[0], c[0] / c[1]) << c[0] << " / " << c[1];
    EXPECT_EQ(signedResult[1], c[0] % c[1]) << c[0] << " % " << c[1];
    const uint64_t a = uint64_t(c[0]), b = uint64_t(c[1]);
    uint64_t unsignedResult[2] = {a, b};
    SarnuUnsignedDivide64(unsignedResult);
    EXPECT_EQ(unsignedResult[0], a / b) << a << " / " << b;
    EXPECT_EQ(unsignedResult[1], a % b) << a << " % " << b;
  }
}

}  // namespace
