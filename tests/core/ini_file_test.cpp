// The INI library against real files: the reading rules case by case, the
// getters' defaults and limits, and the rewrite byte for byte (narrow and
// wide files, new files, the ROM rule). Run natively and under Wine.
#include "ini_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "file_io.h"
#include "test_support.h"

namespace {

// A wide file's bytes: the FF FE mark, then UTF-16LE.
std::string WideBytes(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

class Ini : public testing::Test {
 protected:
  std::u16string Path() const { return folder_.File("test.ini"); }
  void Write(const std::string& bytes) { ASSERT_TRUE(WriteBytes(Path(), bytes)); }
  std::string Read() const { return ReadBytes(Path()); }

  // The value IniFind gives, or "<none>".
  std::u16string Find(const char16_t* section, const char16_t* key, size_t size = 260) {
    std::u16string buffer(size, u'#');
    size_t n = IniFind(section, key, &buffer[0], size, Path().c_str());
    if (n == 0) return u"<none>";
    EXPECT_EQ(buffer[n], 0);
    return buffer.substr(0, n);
  }
  bool Set(const char16_t* section, const char16_t* key, const char16_t* value) {
    return IniSetString(section, key, value, Path().c_str());
  }

  TempFolder folder_;
};

struct ReadCase {
  const char* name;
  const char* file;
  const char16_t* section;
  const char16_t* key;
  const char16_t* expected;  // "<none>" when not found
};

const ReadCase kReadCases[] = {
    {"plain", "[Filter]\r\nPreamble=abc\r\n", u"Filter", u"Preamble", u"abc"},
    {"section case", "[filter]\r\nBulkLimit=5\r\n", u"Filter", u"BulkLimit", u"5"},
    {"key case", "[Filter]\r\nBULKLIMIT=5\r\n", u"Filter", u"BulkLimit", u"5"},
    {"any closing char", "[Filter)\r\nk=v\r\n", u"Filter", u"k", u"v"},
    {"blank behind header", "[Filter] \r\nk=v\r\n", u"Filter", u"k", u"<none>"},
    {"blanks in brackets", "[ Filter ]\r\nk=v\r\n", u"Filter", u"k", u"<none>"},
    {"header indented", "  \t[Filter]\r\nk=v\r\n", u"Filter", u"k", u"v"},
    {"blanks around", "[S]\r\n   key \t=  value  \r\n", u"S", u"key", u"value"},
    {"quoted keeps inner blanks", "[S]\r\nk=\"  a b  \"\r\n", u"S", u"k", u"  a b  "},
    {"opening quote only", "[S]\r\nk=\"abc\r\n", u"S", u"k", u"abc"},
    {"closing quote only", "[S]\r\nk=abc\"\r\n", u"S", u"k", u"abc\""},
    {"single quote", "[S]\r\nk=\"\r\n", u"S", u"k", u"<none>"},
    {"empty value", "[S]\r\nk=\r\n", u"S", u"k", u"<none>"},
    {"empty value shadows", "[S]\r\nk=\r\nk=2\r\n", u"S", u"k", u"<none>"},
    {"first of duplicates", "[S]\r\nk=1\r\nk=2\r\n", u"S", u"k", u"1"},
    {"inner blanks in key", "[System]\r\nTrigger Start Up  =1\r\n", u"System", u"Trigger Start Up",
     u"1"},
    {"key is a prefix", "[S]\r\nkeys=1\r\n", u"S", u"key", u"<none>"},
    {"key line longer", "[S]\r\nk=1\r\n", u"S", u"kk", u"<none>"},
    {"first equals splits", "[S]\r\nk=a=b\r\n", u"S", u"k", u"a=b"},
    {"semicolon in value", "[S]\r\nk=a ;b\r\n", u"S", u"k", u"a ;b"},
    {"comment", "[S]\r\n;k=1\r\n", u"S", u"k", u"<none>"},
    {"hash is no comment", "[S]\r\n#k=1\r\n", u"S", u"#k", u"1"},
    {"empty key", "[S]\r\n=1\r\n", u"S", u"", u"<none>"},
    {"only the first section", "[S]\r\na=1\r\n[T]\r\n[S]\r\nk=2\r\n", u"S", u"k", u"<none>"},
    {"section ends at any [", "[S]\r\n[\r\nk=2\r\n", u"S", u"k", u"<none>"},
    {"key outside section", "k=1\r\n[S]\r\n", u"S", u"k", u"<none>"},
    {"other section", "[T]\r\nk=1\r\n", u"S", u"k", u"<none>"},
    {"bare LF", "[S]\na=1\nk=2\n", u"S", u"k", u"2"},
    {"bare CR", "[S]\ra=1\rk=2", u"S", u"k", u"2"},
    {"LF CR", "[S]\n\rk=2\n\r", u"S", u"k", u"2"},
    {"no final line end", "[S]\r\nk=last", u"S", u"k", u"last"},
    {"narrow non-ASCII", "[S]\r\nk=\xE9\x80\r\n", u"S", u"k", u"\u00E9\u20AC"},
    {"empty file", "", u"S", u"k", u"<none>"},
};

TEST_F(Ini, ReadingRules) {
  for (const ReadCase& c : kReadCases) {
    Write(c.file);
    EXPECT_EQ(Find(c.section, c.key), std::u16string(c.expected)) << c.name;
  }
}

TEST_F(Ini, LinesOfAnyKindAreSplitAsDescribed) {
  // CR, LF, CRLF end one line each; LF CR makes an empty line between.
  Write(" a\rb\n\n\r\nc\n\rd");
  IniFile file;
  ASSERT_TRUE(IniOpen(&file, Path().c_str()));
  std::u16string lines;
  while (IniNextLine(&file)) {
    lines += file.line.start ? std::u16string(file.line.start, file.line.length) : u"_";
    lines += u"|";
  }
  IniClose(&file);
  EXPECT_EQ(lines, u"a|b|_|_|c|_|d|");
}

TEST_F(Ini, WideFileIsRead) {
  static const char16_t kText[] = u"[S]\nk=\u20AC\U00010000\nq=\"a\0b\"";
  Write(WideBytes(std::u16string(kText, sizeof kText / sizeof kText[0] - 1)));
  EXPECT_EQ(Find(u"S", u"k"), u"\u20AC\U00010000");
  EXPECT_EQ(Find(u"S", u"q"), std::u16string(u"a\0b", 3));
  Write(WideBytes(u"") + "x");  // an odd last byte is no character
  EXPECT_EQ(Find(u"S", u"k"), u"<none>");
}

TEST_F(Ini, ValueIsCutToTheBuffer) {
  Write("[S]\r\nk=abcdef\r\n");
  EXPECT_EQ(Find(u"S", u"k", 4), u"abc");
  EXPECT_EQ(Find(u"S", u"k", 1), u"<none>");
  EXPECT_EQ(IniFind(u"S", u"k", nullptr, 0, Path().c_str()), 0u);
}

TEST_F(Ini, MissingArgumentsFindNothing) {
  Write("[S]\r\nk=1\r\n");
  char16_t buffer[8];
  EXPECT_EQ(IniFind(nullptr, u"k", buffer, 8, Path().c_str()), 0u);
  EXPECT_EQ(IniFind(u"S", nullptr, buffer, 8, Path().c_str()), 0u);
  EXPECT_EQ(IniFind(u"S", u"k", buffer, 8, nullptr), 0u);
  EXPECT_EQ(IniFind(u"S", u"k", buffer, 8, folder_.File("missing.ini").c_str()), 0u);
}

TEST_F(Ini, GetStringFallsBackToTheDefault) {
  Write("[S]\r\nk=value\r\nempty=\r\n");
  char16_t buffer[6];
  IniGetString(u"S", u"k", u"dflt", buffer, 6, Path().c_str());
  EXPECT_EQ(std::u16string(buffer), u"value");
  IniGetString(u"S", u"empty", u"dflt", buffer, 6, Path().c_str());
  EXPECT_EQ(std::u16string(buffer), u"dflt");
  IniGetString(u"S", u"none", u"a long default", buffer, 6, Path().c_str());
  EXPECT_EQ(std::u16string(buffer), u"a lon");
  IniGetString(u"S", u"none", nullptr, buffer, 6, Path().c_str());
  EXPECT_EQ(std::u16string(buffer), u"");
}

TEST_F(Ini, GetIntReadsDecimal) {
  struct {
    const char* value;
    int expected;
  } cases[] = {
      {"42", 42},
      {"-7", -7},
      {"+3", 3},
      {"\"  12\"", 12},
      {"12abc", 12},
      {"abc", 0},
      {"0x10", 0},
      {"- 5", 0},
      {"--5", 0},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN},
      {"-99999999999999999999", INT_MIN},
  };
  for (const auto& c : cases) {
    Write(std::string("[S]\r\nk=") + c.value + "\r\n");
    EXPECT_EQ(IniGetInt(u"S", u"k", -1, Path().c_str()), c.expected) << c.value;
  }
  Write("[S]\r\nk=\r\n");
  EXPECT_EQ(IniGetInt(u"S", u"k", 77, Path().c_str()), 77);
  EXPECT_EQ(IniGetInt(u"S", u"none", 78, Path().c_str()), 78);
}

TEST_F(Ini, MissingFileIsCreatedNarrow) {
  EXPECT_TRUE(Set(u"Filter", u"Preamble", u"abc"));
  EXPECT_EQ(Read(), "[Filter]\r\nPreamble=abc\r\n");
  EXPECT_FALSE(FileExists(Path() + u".tmp"));
}

TEST_F(Ini, SuccessiveWritesKeepFirstWrittenOrder) {
  Set(u"B", u"x", u"1");
  Set(u"A", u"y", u"2");
  Set(u"B", u"z", u"3");
  Set(u"A", u"w", u"4");
  Set(u"B", u"X", u"5");  // rewriting keeps the place, takes the new spelling
  EXPECT_EQ(Read(), "[B]\r\nX=5\r\nz=3\r\n[A]\r\ny=2\r\nw=4\r\n");
  EXPECT_EQ(Find(u"b", u"x"), u"5");
}

TEST_F(Ini, NewKeyGoesAtTheEndOfItsSection) {
  Write("[S]\r\na=1\r\n\r\n[T]\r\nb=2\r\n");
  Set(u"S", u"c", u"3");
  EXPECT_EQ(Read(), "[S]\r\na=1\r\n\r\nc=3\r\n[T]\r\nb=2\r\n");
}

TEST_F(Ini, KeyOfSecondSectionIsAddedToTheFirst) {
  Write("[S]\r\na=1\r\n[S]\r\nk=2\r\n");
  Set(u"S", u"k", u"9");
  EXPECT_EQ(Read(), "[S]\r\na=1\r\nk=9\r\n[S]\r\nk=2\r\n");
  EXPECT_EQ(Find(u"S", u"k"), u"9");
}

TEST_F(Ini, RewriteNormalisesLines) {
  Write("  ; note\n\t[S]\nx\n;\n   k = old \nk=dup\n\n z=1\nq\n[\n");
  Set(u"S", u"k", u"new");
  // Leading blanks go, "x" and "q" (one character) go, ";" and "[" stay, the
  // later duplicate is kept as it was.
  EXPECT_EQ(Read(), "; note\r\n[S]\r\n;\r\nk=new\r\nk=dup\r\n\r\nz=1\r\n[\r\n");
}

TEST_F(Ini, BareLineFeedsBecomeCrLf) {
  Write("[S]\nk=1\nother=2\n");
  Set(u"S", u"k", u"3");
  EXPECT_EQ(Read(), "[S]\r\nk=3\r\nother=2\r\n");
}

TEST_F(Ini, WideFileStaysWide) {
  Write(WideBytes(u"[S]\r\nk=\u20AC\r\n"));
  Set(u"S", u"name", u"\u0100\u4E2D");
  EXPECT_EQ(Read(), WideBytes(u"[S]\r\nk=\u20AC\r\nname=\u0100\u4E2D\r\n"));
  EXPECT_EQ(Find(u"S", u"name"), u"\u0100\u4E2D");
  EXPECT_EQ(Find(u"S", u"k"), u"\u20AC");
  Write(WideBytes(u""));  // only the mark: still a wide file
  Set(u"S", u"k", u"v");
  EXPECT_EQ(Read(), WideBytes(u"[S]\r\nk=v\r\n"));
}

TEST_F(Ini, NarrowFileGetsTheCodePage) {
  Write("[S]\r\nold=\xE9\x81\r\n");
  Set(u"S", u"k", u"\u00E9\u20AC\u0100");
  // The undefined byte 0x81 survives; what the code page lacks becomes '?'.
  EXPECT_EQ(Read(), "[S]\r\nold=\xE9\x81\r\nk=\xE9\x80?\r\n");
}

TEST_F(Ini, NarrowFileDoesNotTurnWide) {
  // Without its leading blank the first line would start with FF FE.
  Write(" \xFF\xFEk=1\r\n");
  Set(u"S", u"k", u"2");
  EXPECT_EQ(Read(), "\r\n\xFF\xFEk=1\r\n[S]\r\nk=2\r\n");
  EXPECT_EQ(Find(u"S", u"k"), u"2");
}

TEST_F(Ini, LongValuesAreWrittenWhole) {
  std::u16string value(600, u'v');
  std::u16string key(300, u'k');
  Set(u"S", key.c_str(), value.c_str());
  EXPECT_EQ(Find(u"S", key.c_str(), 1000), value);
  EXPECT_EQ(Find(u"S", key.c_str()), value.substr(0, 259));
}

TEST_F(Ini, NullValueDeletesTheKey) {
  Write("[S]\r\na=1\r\nk=2\r\n;c\r\nK=3\r\n[T]\r\nk=4\r\n");
  EXPECT_TRUE(Set(u"S", u"k", nullptr));
  EXPECT_EQ(Read(), "[S]\r\na=1\r\n;c\r\n[T]\r\nk=4\r\n");
  EXPECT_EQ(Find(u"S", u"k"), u"<none>");
  Set(u"Missing", u"k", nullptr);  // nothing to delete adds nothing
  EXPECT_EQ(Read(), "[S]\r\na=1\r\n;c\r\n[T]\r\nk=4\r\n");
}

TEST_F(Ini, NullKeyDropsTheSectionKeepingBlanksAndComments) {
  Write("[A]\r\nx=1\r\n[S]\r\na=1\r\n\r\n; keep\r\nb=2\r\n[T]\r\nk=4\r\n");
  EXPECT_TRUE(Set(u"S", nullptr, nullptr));
  EXPECT_EQ(Read(), "[A]\r\nx=1\r\n\r\n; keep\r\n[T]\r\nk=4\r\n");
}

TEST_F(Ini, DeletingFromAMissingFileCreatesNothing) {
  EXPECT_TRUE(Set(u"S", u"k", nullptr));
  EXPECT_FALSE(FileExists(Path()));
}

TEST_F(Ini, RomFileIsNeverRewritten) {
  Write("[S]\nk=1\n");
  ASSERT_TRUE(SetReadOnly(Path(), true));
  EXPECT_FALSE(Set(u"S", u"k", u"2"));
  EXPECT_FALSE(IniSetInt(u"S", u"k", 2, Path().c_str()));
  EXPECT_EQ(Read(), "[S]\nk=1\n");
  EXPECT_FALSE(FileExists(Path() + u".tmp"));
  EXPECT_EQ(Find(u"S", u"k"), u"1");  // still readable
  SetReadOnly(Path(), false);
}

TEST_F(Ini, SetResultsForMissingArguments) {
  EXPECT_FALSE(IniSetString(u"S", u"k", u"v", nullptr));
  EXPECT_FALSE(IniSetString(u"S", u"k", u"v", u""));
  EXPECT_TRUE(Set(nullptr, u"k", u"v"));
  EXPECT_FALSE(FileExists(Path()));
  std::u16string tooLong = folder_.Path() + u"\\" + std::u16string(300, u'n');
  EXPECT_FALSE(IniSetString(u"S", u"k", u"v", tooLong.c_str()));
}

TEST_F(Ini, UnreadableFileIsLeftAlone) {
  // A folder where the file should be cannot be read; it must not be
  // "replaced" by a file holding only the new key.
  std::u16string path = folder_.Path();
  EXPECT_TRUE(IniSetString(u"S", u"k", u"v", path.c_str()));
  uint32_t attributes = 0;
  EXPECT_TRUE(FileGetAttributes(path.c_str(), &attributes));
  EXPECT_NE(attributes & kFileAttrDirectory, 0u);
}

TEST_F(Ini, TextThatWouldBreakTheFileIsNotWritten) {
  Write("[S]\r\nk=1\r\n");
  const char16_t* keys[] = {u"", u"a=b", u"a\r\nb", u";k", u"[k", u" k"};
  for (const char16_t* key : keys) EXPECT_TRUE(Set(u"S", key, u"v"));
  EXPECT_TRUE(Set(u"S", u"k", u"1\r\n[T]\r\nx=2"));
  EXPECT_TRUE(Set(u"S\r\n", u"k", u"v"));
  EXPECT_EQ(Read(), "[S]\r\nk=1\r\n");
}

TEST_F(Ini, SetIntWritesSignedDecimal) {
  IniSetInt(u"S", u"a", 0, Path().c_str());
  IniSetInt(u"S", u"b", -15, Path().c_str());
  IniSetInt(u"S", u"c", INT_MIN, Path().c_str());
  IniSetInt(u"S", u"d", INT_MAX, Path().c_str());
  EXPECT_EQ(Read(), "[S]\r\na=0\r\nb=-15\r\nc=-2147483648\r\nd=2147483647\r\n");
  EXPECT_EQ(IniGetInt(u"S", u"c", 0, Path().c_str()), INT_MIN);
}

TEST(IniPaths, NameWithoutBackslashLivesInWindows) {
  ResetTerminalFolders();
  EXPECT_TRUE(IniSetString(u"S", u"k", u"v", u"Sarnu-Test.ini"));
  EXPECT_EQ(ReadBytes(u"\\Windows\\SARNU-TEST.INI"), "[S]\r\nk=v\r\n");
  char16_t buffer[8];
  EXPECT_EQ(IniFind(u"S", u"k", buffer, 8, u"\\windows\\sarnu-test.ini"), 1u);
  EXPECT_TRUE(FileDelete(u"\\windows\\Sarnu-Test.ini"));
  IniSetString(u"S", u"k", u"t", u"\\Temp\\SARNU.INI");
  EXPECT_EQ(ReadBytes(u"\\Temp\\SARNU.INI"), "[S]\r\nk=t\r\n");
}

}  // namespace
