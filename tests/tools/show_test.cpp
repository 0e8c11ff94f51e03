// "sarnuconf show" must print what the wedge holds after loading: defaults,
// wrapped and clamped numbers, normalised colours, and the decoded bytes of
// the escaped texts.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings_table.h"
#include "test_support.h"
#include "tool_runner.h"

namespace {

class ShowTest : public ::testing::Test {
 protected:
  // Writes the INI and returns show's lines.
  std::vector<std::string> Show(const std::string& ini) {
    EXPECT_TRUE(WriteBytes(folder_.File("SARNU.INI"), ini));
    const ToolResult r = RunTool({"show", NativePath(folder_.File("SARNU.INI"))});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return Lines(r.out);
  }
  static bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  TempFolder folder_;
};

TEST_F(ShowTest, EmptyFileGivesEveryDefaultInTableOrder) {
  const std::vector<std::string> lines = Show("");
  // One line per key, plus the decoded form of each text.
  size_t texts = 0;
  for (size_t i = 0; i < kSettingsFieldCount; ++i)
    texts += kSettingsFields[i].kind == FieldKind::Text;
  ASSERT_EQ(lines.size(), kSettingsFieldCount + texts);
  size_t row = 0;
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& f = kSettingsFields[i];
    const std::string name = std::string(f.sectionName) + "." + f.keyName;
    EXPECT_EQ(lines[row++].compare(0, name.size() + 1, name + "="), 0) << name;
    if (f.kind == FieldKind::Text) {
      EXPECT_EQ(lines[row++], name + "#decoded=");
    }
  }
  for (const char* line :
       {"Filter.PreambleEnable=0", "BulkScanning.BulkLimit=100", "BulkScanning.BulkSameType=1",
        "BulkCounterWindow.CounterForegroundColor=00FF00",
        "BulkCounterWindow.CounterBackgroundColor=000000",
        "BulkCounterWindow.TransparentCounterSize=10", "OtherSettings.ShowSplash=1",
        "Filter.StripLeading="}) {
    EXPECT_TRUE(Has(lines, line)) << line;
  }
}

TEST_F(ShowTest, PrintsValuesAsTheRecordHoldsThem) {
  struct Row {
    const char* ini;
    std::vector<std::string> expected;
  };
  const Row rows[] = {
      {"[BulkScanning]\r\nBulkLimit=70000\r\n", {"BulkScanning.BulkLimit=4464"}},
      {"[BulkScanning]\r\nBulkScannedListClearAfter=300\r\n",
       {"BulkScanning.BulkScannedListClearAfter=44"}},
      {"[BulkCounterWindow]\r\nCounterForegroundColor=ff8000\r\n",
       {"BulkCounterWindow.CounterForegroundColor=FF8000"}},
      {"[BulkCounterWindow]\r\nTransparentCounterSize=0\r\n",
       {"BulkCounterWindow.TransparentCounterSize=1"}},
      {"[BulkCounterWindow]\r\nTransparentCounterSize=200\r\n",
       {"BulkCounterWindow.TransparentCounterSize=10"}},
      {"[Filter]\r\nPreambleEnable=yes\r\nStripFirst=-1\r\n",
       {"Filter.PreambleEnable=0", "Filter.StripFirst=65535"}},
      {"[Filter]\r\nPreamble=AB\\tC\r\n",
       {"Filter.Preamble=AB\\tC", "Filter.Preamble#decoded=AB\\x09C"}},
      {"[Filter]\r\nPostamble=\\x41\\o102\"\\q\r\n", {"Filter.Postamble#decoded=AB\\\"\\\\q"}},
      // A narrow file is in the code page: E9 is e acute, printed as UTF-8.
      {"[Filter]\r\nPostamble=caf\xE9\r\n",
       {"Filter.Postamble=caf\xC3\xA9", "Filter.Postamble#decoded=caf\\xE9"}},
      {"[Filter]\r\nReplaceFNC1=#\r\n", {"Filter.ReplaceFNC1#decoded=#"}},
      // A profile: its lists as the wedge holds them, main's values beneath its own.
      {"[Filter]\r\nPreambleEnable=1\r\n[Profile.wms]\r\nPrograms=WMS.exe; \\x.exe\r\n"
       "Types=+106;;-3\r\nKeyDelay=99\r\n",
       {"Profile.wms.Programs=wms.exe", "Profile.wms.Types=106;-3", "Profile.wms.PreambleEnable=1",
        "Profile.wms.KeyDelay=50", "Profile.wms.Postamble#decoded="}},
  };
  for (const Row& row : rows) {
    const std::vector<std::string> lines = Show(row.ini);
    for (const std::string& line : row.expected) EXPECT_TRUE(Has(lines, line)) << line;
  }
}

TEST_F(ShowTest, RefusesFilesItCannotRead) {
  for (const std::string& path :
       {NativePath(folder_.File("MISSING.INI")), NativePath(folder_.Path())}) {
    const ToolResult r = RunTool({"show", path});
    EXPECT_EQ(r.code, 2) << path;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
}

}  // namespace
