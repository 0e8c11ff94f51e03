// "sarnuconf preview" must show what the wedge would type: the reader's
// suffix, the filter chain, the FNC1 rules and the exact key events, or
// that nothing is sent; bad calls are refused before anything is printed.
#include <gtest/gtest.h>

#include "test_support.h"
#include "tool_runner.h"

namespace {

class PreviewTest : public ::testing::Test {
 protected:
  ToolResult Preview(const std::string& ini, std::vector<std::string> args) {
    EXPECT_TRUE(WriteBytes(folder_.File("SARNU.INI"), ini));
    args.insert(args.begin(), {"preview", NativePath(folder_.File("SARNU.INI"))});
    return RunTool(args);
  }
  TempFolder folder_;
};

const char kFnc1Ini[] = "[Filter]\r\nReplaceFNC1Enable=1\r\nReplaceFNC1=#\r\n";
const char kProfilesIni[] =
    "[Filter]\r\nPreambleEnable=1\r\nPreamble=<\r\n[Profile.wms]\r\nPrograms=wms.exe\r\n"
    "PreambleEnable=0\r\n[Profile.gs1]\r\nTypes=106\r\nPostambleEnable=1\r\nPostamble=>\r\n";

const char kIdIni[] =
    "[OtherSettings]\r\nCodeIdPrefix=1\r\n[Filter]\r\nStripFirstEnable=1\r\nStripFirst=1\r\n"
    "PreambleEnable=1\r\nPreamble=<\r\n[Profile.gs1]\r\nTypes=]d2\r\nPreambleEnable=0\r\n";

const char kKeyMapIni[] =
    "[OtherSettings]\r\nKeyTokens=1\r\n[Filter]\r\nPostambleEnable=1\r\n"
    "Postamble={F6}{DELAY 300}{{\r\n[KeyMap]\r\n1D=text:{GS}\r\n04=ctrl:d\r\n1F=drop\r\n";

TEST_F(PreviewTest, OneLinePerBarcode) {
  struct Row {
    std::string ini;
    std::vector<std::string> args;
    const char* line;
  };
  const Row rows[] = {
      // The default laser suffix code appends CR, which becomes the suffix.
      {"",
       {"--reader", "laser", "aB1"},
       "send=1 suffix=\"\\x0D\" output=\"aB1\" keys=5B- 41+ 41- 5B- 10+ 42+ 42- 10- 5B- 31+ 31- "
       "5B- 0D+ 0D-"},
      {"",
       {"--reader", "laser", "--suffix-code", "2", "7"},
       "send=1 suffix=\"\\x0D\\x0A\" output=\"7\" keys=5B- 37+ 37- 5B- 0D+ 0D- 5B- 0A+ 0A-"},
      {"",
       {"--reader=laser", "--suffix-code=4", "7"},
       "send=1 suffix=\"\" output=\"7\" keys=5B- 37+ 37-"},
      {"",
       {"--reader", "imager", "--suffix-code", "9", "7"},
       "send=1 suffix=\"\\x09\" output=\"7\" keys=5B- 37+ 37- 5B- 09+ 09-"},
      {"", {"--reader", "imager", "7"}, "send=1 suffix=\"\" output=\"7\" keys=5B- 37+ 37-"},
      {"",
       {"--reader", "none", "--suffix-code", "9", "7"},
       "send=1 suffix=\"\" output=\"7\" keys=5B- 37+ 37-"},
      // Laser type 512: the leading GS goes whatever the settings say, the
      // others are replaced.
      {kFnc1Ini,
       {"--reader", "laser", "--suffix-code", "4", "--type", "512", "\\x1D01\\x1D2"},
       "send=1 suffix=\"\" output=\"01#2\" keys=5B- 30+ 30- 5B- 31+ 31- 5B- 10+ 33+ 33- 10- 5B- "
       "32+ 32-"},
      {"",
       {"--reader", "laser", "--suffix-code", "4", "--type", "512", "\\x1D1\\x1D"},
       "send=1 suffix=\"\" output=\"1\\x1D\" keys=5B- 31+ 31- 5B- 1D+ 1D-"},
      {kFnc1Ini,
       {"--reader", "laser", "--suffix-code", "4", "\\x1D1"},
       "send=1 suffix=\"\" output=\"\\x1D1\" keys=5B- 1D+ 1D- 5B- 31+ 31-"},
      {kFnc1Ini,
       {"--reader", "imager", "--type", "106", "1\\x1D2"},
       "send=1 suffix=\"\" output=\"1#2\" keys=5B- 31+ 31- 5B- 10+ 33+ 33- 10- 5B- 32+ 32-"},
      {"[Filter]\r\nPreambleEnable=1\r\nPreamble=<\\t\r\nStripLeadingEnable=1\r\n"
       "StripLeading=0\r\n",
       {"--reader", "laser", "--suffix-code", "4", "0012"},
       "send=1 suffix=\"\" output=\"<\\x0912\" keys=5B- 10+ BC+ BC- 10- 5B- 09+ 09- 5B- 31+ 31- "
       "5B- 32+ 32-"},
      {"[Filter]\r\nStripLeadingEnable=1\r\nStripLeading=0\r\n",
       {"--reader", "laser", "000"},
       "send=0"},
      // A character without a key goes as its UTF-16 unit.
      {"",
       {"--reader", "laser", "--suffix-code", "4", "\\xE9"},
       "send=1 suffix=\"\" output=\"\\xE9\" keys=5B- U+00E9+ U+00E9-"},
      // Clipboard: the text goes as Unicode and is pasted; the suffix is typed.
      {"",
       {"--reader", "laser", "--buffer-type", "3", "a\\xE9"},
       "send=1 suffix=\"\\x0D\" output=\"a\\xE9\" clipboard=\"a\\xC3\\xA9\" keys=11+ 56+ 56- 11- "
       "5B- 0D+ 0D-"},
      // The profile chosen for the program and type; none named: only a profile
      // without Programs can hold.
      {kProfilesIni,
       {"--reader", "imager", "--type", "106", "--program", "\\apps\\WMS.EXE", "7"},
       "profile=\"wms\" send=1 suffix=\"\" output=\"7\" keys=5B- 37+ 37-"},
      {kProfilesIni,
       {"--reader", "imager", "--type", "106", "--program", "xl.exe", "7"},
       "profile=\"gs1\" send=1 suffix=\"\" output=\"<7>\" keys=5B- 10+ BC+ BC- 10- 5B- 37+ 37- 5B- "
       "10+ BE+ BE- 10-"},
      {kProfilesIni,
       {"--reader", "imager", "--program=xl.exe", "7"},
       "profile=none send=1 suffix=\"\" output=\"<7\" keys=5B- 10+ BC+ BC- 10- 5B- 37+ 37-"},
      {kProfilesIni,
       {"--reader", "imager", "--type", "106", "7"},
       "profile=\"gs1\" send=1 suffix=\"\" output=\"<7>\" keys=5B- 10+ BC+ BC- 10- 5B- 37+ 37- 5B- "
       "10+ BE+ BE- 10-"},
      // The symbology identifier goes on after the filters, behind the
      // preamble; it stands for a GS1 barcode's leading FNC1, and a profile
      // may name barcodes by it. A leading GS of another symbology is data.
      {kIdIni,
       {"--reader", "laser", "--suffix-code", "4", "--type", "512", "\\x1D0123"},
       "send=1 suffix=\"\" output=\"<]C1123\" keys=5B- 10+ BC+ BC- 10- 5B- DD+ DD- 5B- 10+ 43+ "
       "43- 10- 5B- 31+ 31- 5B- 31+ 31- 5B- 32+ 32- 5B- 33+ 33-"},
      {kIdIni,
       {"--reader", "imager", "--type", "119", "\\x1D01"},
       "profile=\"gs1\" send=1 suffix=\"\" output=\"]d21\" keys=5B- DD+ DD- 5B- 44+ 44- 5B- 32+ "
       "32- 5B- 31+ 31-"},
      {kIdIni,
       {"--reader", "imager", "--type", "98", "\\x1D01"},
       "send=1 suffix=\"\" output=\"<]A001\" keys=5B- 10+ BC+ BC- 10- 5B- DD+ DD- 5B- 10+ 41+ 41- "
       "10- 5B- 30+ 30- 5B- 30+ 30- 5B- 31+ 31-"},
      // The key map acts on the data's control characters, key tokens in the
      // postamble; through the clipboard the text around a key is pasted in
      // turn ("{{" is a brace).
      {kKeyMapIni,
       {"--reader", "imager", "1\\x1D\\x04\\x1F"},
       "send=1 suffix=\"\" output=\"1\\x1D\\x04\\x1F{F6}{DELAY 300}{{\" keys=5B- 31+ 31- 5B- 10+ "
       "DB+ "
       "DB- 10- 5B- 10+ 47+ 47- 10- 5B- 10+ 53+ 53- 10- 5B- 10+ DD+ DD- 10- 5B- 11+ 44+ 44- 11- "
       "5B- "
       "75+ 75- (300 ms) 5B- 10+ DB+ DB- 10-"},
      {kKeyMapIni,
       {"--reader", "imager", "--buffer-type", "3", "1\\x1D\\x04"},
       "send=1 suffix=\"\" output=\"1\\x1D\\x04{F6}{DELAY 300}{{\" clipboard=\"1{GS}{\" keys=11+ "
       "56+ "
       "56- 11- 5B- 11+ 44+ 44- 11- 5B- 75+ 75- (300 ms) 11+ 56+ 56- 11-"},
      // "--" lets a barcode start like an option.
      {"",
       {"--reader", "imager", "--", "--"},
       "send=1 suffix=\"\" output=\"--\" keys=5B- BD+ BD- 5B- BD+ BD-"},
  };
  for (const Row& row : rows) {
    const ToolResult r = Preview(row.ini, row.args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, std::string(row.line) + "\n");
  }
}

TEST_F(PreviewTest, SeveralBarcodesInOrder) {
  const ToolResult r = Preview("[Filter]\r\nModifyCaseEnable=1\r\nModifyCaseMode=1\r\n",
                               {"--reader", "imager", "ab", "", "c"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "send=1 suffix=\"\" output=\"AB\" keys=5B- 10+ 41+ 41- 10- 5B- 10+ 42+ 42- 10-\n"
            "send=0\n"
            "send=1 suffix=\"\" output=\"C\" keys=5B- 10+ 43+ 43- 10-\n");
}

TEST_F(PreviewTest, LaserLengthLimitIncludesTheSuffix) {
  EXPECT_EQ(Preview("", {"--reader", "laser", std::string(254, '1')}).code, 0);
  EXPECT_EQ(Preview("", {"--reader", "laser", std::string(255, '1')}).code, 2);
  EXPECT_EQ(Preview("", {"--reader", "laser", "--suffix-code", "4", std::string(255, '1')}).code,
            0);
  EXPECT_EQ(Preview("", {"--reader", "imager", std::string(8191, '1')}).code, 0);
  EXPECT_EQ(Preview("", {"--reader", "imager", std::string(8192, '1')}).code, 2);
}

TEST_F(PreviewTest, BadCallsAreRefusedWithOneLine) {
  const std::vector<std::vector<std::string>> calls = {
      {"123"},
      {"--reader", "scanner", "123"},
      {"--reader", "laser"},
      {"--reader"},
      {"--reader", "laser", "--suffix-code", "256", "1"},
      {"--reader", "laser", "--suffix-code", "-1", "1"},
      {"--reader", "laser", "--suffix-code", "0x0D", "1"},
      {"--reader", "laser", "--buffer-type", "", "1"},
      {"--reader", "laser", "--type", "512a", "1"},
      {"--reader", "laser", "--type", "99999999999", "1"},
      {"--reader", "imager", "--type", "300", "1"},
      {"--reader", "laser", "--colour", "1", "1"},
      {"--reader", "laser", "1", "--program"},
      {"--reader", "laser", "ok", "bad\\q"},
  };
  for (const auto& call : calls) {
    const ToolResult r = Preview("", call);
    EXPECT_EQ(r.code, 2) << call.back();
    EXPECT_EQ(r.out, "") << call.back();
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
}

TEST_F(PreviewTest, MissingIniIsRefused) {
  const ToolResult r =
      RunTool({"preview", NativePath(folder_.File("NONE.INI")), "--reader", "laser", "1"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
}

}  // namespace
