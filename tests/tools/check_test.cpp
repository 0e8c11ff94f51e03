// "sarnuconf check" must report, one stable line each, everything that the
// wedge ignores or changes silently, and stay quiet on a sound file.
#include <gtest/gtest.h>

#include "test_support.h"
#include "tool_runner.h"

namespace {

class CheckTest : public ::testing::Test {
 protected:
  ToolResult Check(const std::string& ini) {
    EXPECT_TRUE(WriteBytes(folder_.File("SARNU.INI"), ini));
    return RunTool({"check", File()});
  }
  std::string File() { return NativePath(folder_.File("SARNU.INI")); }
  TempFolder folder_;
};

TEST_F(CheckTest, SoundFileHasNoProblems) {
  const ToolResult r = Check(
      "; site settings\r\n"
      "[Filter]\r\n"
      "PreambleEnable=1\r\n"
      "Preamble=\"  \\x02\"\r\n"
      "StripLeading=0 \r\n"
      "SendRangeEnd=\r\n"  // empty: the default, on purpose
      "\r\n"
      "[bulkscanning]\r\n"
      "  BULKLIMIT = 50\r\n"
      "[BulkCounterWindow]\r\n"
      "CounterForegroundColor=ff8000\r\n"
      "TransparentCounterSize=10\r\n"
      "[Profile.wms gs1]\r\n"
      "Programs=wms.exe\r\n"
      "Types=106\r\n"
      "[Profile.wms]\r\n"
      "Programs=WMS.exe\r\n"
      "PostambleEnable=1\r\n");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
}

TEST_F(CheckTest, ReportsEachKindOfProblem) {
  std::string many;
  for (int i = 1; i <= 66; ++i) {
    many += "[Profile.p" + std::to_string(i) + "]\nTypes=" + std::to_string(i) + "\n";
  }
  struct Row {
    std::string ini;
    const char* line;  // behind "<file>:"
  };
  const Row rows[] = {
      {"[BulkScanning]\nBulkLimt=5",
       "2: BulkScanning.BulkLimt: unknown key, ignored (did you mean BulkLimit?)"},
      {"[BulkScanning]\nCounterEnabled=1",
       "2: BulkScanning.CounterEnabled: unknown key, ignored (it belongs in "
       "[BulkCounterWindow])"},
      {"[Filter]\nColour=1", "2: Filter.Colour: unknown key, ignored"},
      {"[BulkScanning]\nBulkLimit=70000", "2: BulkScanning.BulkLimit: value 70000 wraps to 4464"},
      {"[OtherSettings]\nAimerWidth=-1", "2: OtherSettings.AimerWidth: value -1 wraps to 255"},
      {"[BulkScanning]\nBulkLimit=1",
       "2: BulkScanning.BulkLimit: value 1 outside the allowed 2..999"},
      {"[Filter]\nPreambleEnable=2", "2: Filter.PreambleEnable: value 2 outside the allowed 0..1"},
      {"[BulkScanning]\nbulklimit=12x",
       "2: BulkScanning.BulkLimit: not a decimal number, read as 12"},
      {"[Filter]\nPreambleEnable=on", "2: Filter.PreambleEnable: not a decimal number, read as 0"},
      {"[BulkCounterWindow]\nTransparentCounterSize=0",
       "2: BulkCounterWindow.TransparentCounterSize: value 0 is clamped to 1"},
      {"[BulkCounterWindow]\nTransparentCounterSize=256",
       "2: BulkCounterWindow.TransparentCounterSize: value 256 wraps and is clamped to 1"},
      {"[BulkCounterWindow]\nCounterBackgroundColor=GG0000",
       "2: BulkCounterWindow.CounterBackgroundColor: not a colour RRGGBB, read as 000000"},
      {"[BulkCounterWindow]\nCounterBackgroundColor=FF00",
       "2: BulkCounterWindow.CounterBackgroundColor: not a colour RRGGBB, read as 00FF00"},
      {"[Filter]\nReplaceFNC1=\\t",
       "2: Filter.ReplaceFNC1: text of 2 characters, more than the 1 allowed"},
      {"[Filter]\nPreamble=" + std::string(79, 'p'),
       "2: Filter.Preamble: text of 79 characters, more than the 78 allowed"},
      {"[Filtr]\nBulkLimt=1", "1: [Filtr]: unknown section, ignored (did you mean [Filter]?)"},
      {"[Filter ]", "1: [Filter ]: unknown section, ignored (did you mean [Filter]?)"},
      {"[Filter]\n[OtherSettings]\n[filter]\nPreambleEnable=7",
       "3: [filter]: second section of this name, ignored (the first is at line 1)"},
      {"[Filter]\nPreambleEnable=1\nPREAMBLEENABLE=0",
       "3: Filter.PreambleEnable: repeated key, ignored (the first is at line 2)"},
      {"BulkLimit=5\n[BulkScanning]", "1: BulkLimit: key outside any section, ignored"},
      {"[Filter]\nStripFirst 3", "2: not a key line (no \"=\" or no key), ignored"},
      {"[Filter]\r\n\r\n;" + std::string(259, 'x'), "3: line of 260 characters, longer than 259"},
      {"[Profile.a]\nTypes=1\nProgram=x",
       "3: Profile.a.Program: unknown key, ignored (did you mean Programs?)"},
      {"[Profile.a]\nTypes=1\nReplaceFNC1=#",
       "3: Profile.a.ReplaceFNC1: FNC1 is replaced before the program in front is known: a "
       "profile cannot set it, ignored"},
      {"[Profile.a]\nTypes=1\nBulkLimit=5",
       "3: Profile.a.BulkLimit: not a key of profiles, ignored (they take the [Filter] keys, "
       "KeyboardLayout, KeyDelay, KeepClipboard, CodeIdPrefix, KeyTokens, FocusGuard and "
       "KeyMap.XX)"},
      {"[Profile.a]\nTypes=1\nKeyDelay=80", "3: Profile.a.KeyDelay: value 80 is clamped to 50"},
      {"[KeyMap]\n1E=key:F25",
       "2: KeyMap.1E: \"key:F25\" names no key the wedge knows, the byte is typed as without a "
       "map"},
      {"[KeyMap]\n20=drop", "2: KeyMap.20: not a byte of the key map (00 to 1F, or 7F), ignored"},
      {"[Profile.a]\nTypes=1\nKeyMap.04=ctrl:12",
       "3: Profile.a.KeyMap.04: \"ctrl:12\" takes one letter, the byte is typed as without a map"},
      {"[Profile.a]\nTypes=1\ntypes=2",
       "3: Profile.a.Types: repeated key, ignored (the first is at line 2)"},
      {"[Profile.]\nTypes=1", "1: [Profile.]: profile without a name, ignored"},
      {"[Profile.a]\nTypes=1\n[profile.A]\nTypes=x",
       "3: [profile.A]: second section of this name, ignored (the first is at line 1)"},
      {"[Profile.a]\nPrograms=;\nPreamble=",
       "1: [Profile.a]: names no program, type or setting, ignored"},
      {"[Profile.a]\nTypes=1;0x1D;]C1",
       "2: Profile.a.Types: \"0x1D\" is not a type code (a whole number of 32 bits) or an "
       "identifier (such as ]C1): the profile is ignored"},
      {"[Profile.a]\nPrograms=a.exe; C:a.exe",
       "2: Profile.a.Programs: \"C:a.exe\" has a path and never matches: programs are named by "
       "file name alone"},
      {"[Profile.a]\nPrograms=a*.exe;a.exe",
       "2: Profile.a.Programs: \"a*.exe\" has a wildcard and never matches: names are compared "
       "whole"},
      {"[Profile.a]\nPrograms=a.exe;b.exe\n[Profile.b]\nPrograms=B.EXE\nTypes=5",
       "3: [Profile.b]: never takes a barcode: Profile.a (line 1) takes every one it would take"},
      {many,
       "129: [Profile.p65]: the wedge reads 64 profiles: this one and every later one are "
       "ignored"},
  };
  for (const Row& row : rows) {
    const ToolResult r = Check(row.ini);
    EXPECT_EQ(r.code, 1) << row.line;
    EXPECT_EQ(r.out, File() + ":" + row.line + "\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(CheckTest, ReportsEveryProblemInFileOrder) {
  // A line of 259 characters is still fine; the keys after a bad one count.
  const ToolResult r = Check(
      "[Filter]\n"
      ";" +
      std::string(258, 'x') +
      "\n"
      "StripFirst=abc\n"
      "StripLast=1000\n"
      "[BulkScanning]\n"
      "BulkLimit=999\n"
      "BulkEnabled=1\n");
  EXPECT_EQ(r.code, 1);
  const std::vector<std::string> lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 3u) << r.out;
  EXPECT_EQ(lines[0], File() + ":3: Filter.StripFirst: not a decimal number, read as 0");
  EXPECT_EQ(lines[1], File() + ":4: Filter.StripLast: value 1000 outside the allowed 0..999");
  EXPECT_EQ(lines[2], File() +
                          ":7: BulkScanning.BulkEnabled: unknown key, ignored (did you "
                          "mean BulkEnable?)");
}

TEST_F(CheckTest, UnreadableFileIsUsageError) {
  const ToolResult r = RunTool({"check", NativePath(folder_.File("NONE.INI"))});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Lines(r.err).size(), 1u);
}

TEST_F(CheckTest, WarnsAboutSurprisingSettingsOnlyWhenAsked) {
  // Every file but the first two keeps FNC1 apart, so each row shows one rule.
  const std::string fnc1 = "[Filter]\nReplaceFNC1Enable=1\nReplaceFNC1=~\n";
  struct Row {
    std::string ini;
    std::vector<std::string> lines;  // behind "<file>", with --warnings
  };
  const Row rows[] = {
      {"",
       {": warning: Filter.ReplaceFNC1Enable: FNC1 replacement is off: the GS between the "
        "fields of a GS1 barcode is typed as virtual key 1D, an input-method key that most "
        "applications ignore, so the fields run together"}},
      {"[Filter]\nValidateContentEnable=1\nValidateContentMode=1", {}},
      {fnc1 + "SendRangeEnable=1\nSendRangeEnd=3\nSendRangeStart=5",
       {":6: warning: Filter.SendRangeEnd: the range ends at character 3, before its start 5: the "
        "start is never applied and characters 1 to 3 are sent"}},
      {fnc1 + "SendRangeEnable=1\nSendRangeStart=5\nSendRangeEnd=5",
       {":6: warning: Filter.SendRangeEnd: the range starts and ends at character 5: the start is "
        "never applied and characters 1 to 5 are sent"}},
      {fnc1 + "SendRangeEnable=1\nSendRangeStart=5\nSendRangeEnd=0", {}},
      {fnc1 + "SendRangeEnable=0\nSendRangeStart=5\nSendRangeEnd=3", {}},
      {fnc1 + "StripFirstEnable=1\nStripFirst=13",
       {":5: warning: Filter.StripFirst: StripFirst 13 removes every character of a barcode of "
        "typical length (13 characters, as EAN-13): nothing is sent for it"}},
      {fnc1 + "StripLast=5\nStripFirstEnable=1\nStripFirst=8\nStripLastEnable=1",
       {":7: warning: Filter.StripFirst: StripFirst 8 and StripLast 5 remove every character of a "
        "barcode of typical length (13 characters, as EAN-13): nothing is sent for it"}},
      {fnc1 + "StripFirstEnable=1\nStripFirst=14", {}},  // a shorter text is left alone
      {fnc1 + "StripFirstEnable=1\nStripFirst=10\nStripLastEnable=1\nStripLast=5", {}},
      {fnc1 + "[BulkScanning]\nBulkLimitEnable=1\nBulkLimit=1",
       {":6: BulkScanning.BulkLimit: value 1 outside the allowed 2..999",
        ":6: warning: BulkScanning.BulkLimit: a bulk limit of 1 ends every bulk run at its first "
        "barcode, as a single scan would"}},
      {fnc1 + "[BulkScanning]\nBulkLimit=65536\nBulkLimitEnable=1",
       {":5: BulkScanning.BulkLimit: value 65536 wraps to 0",
        ":6: warning: BulkScanning.BulkLimit: a bulk limit of 0 ends every bulk run before its "
        "first barcode: bulk mode reads nothing"}},
      {fnc1 + "[BulkCounterWindow]\nCounterType=0\nCounterForegroundColor=102030",
       {":6: warning: BulkCounterWindow.CounterForegroundColor: the solid counter's colours 102030 "
        "on 000000 are 59.9 apart, below the 100 under which the settings program calls them "
        "hard to read"}},
      {fnc1 + "[BulkCounterWindow]\nCounterType=0\nCounterForegroundColor=3C5000", {}},  // 100.0
      {fnc1 + "[BulkCounterWindow]\nCounterType=1\nCounterForegroundColor=102030", {}},
      {fnc1 + "[Profile.any]\nTypes=5\n[Profile.wms]\nPrograms=wms.exe",
       {":6: warning: Profile.wms.Programs: the program in front is named through toolhelp.dll, "
        "which a terminal's image may leave out: without it this profile takes no barcode"}},
      {fnc1 + "PostambleEnable=1\nPostamble={TAB}{F25}\n[OtherSettings]\nKeyTokens=1",
       {":7: warning: Filter.Postamble: \"{F25}\" is no key token and is typed as it stands (a "
        "brace alone is written {{)"}},
      {fnc1 + "PostambleEnable=1\nPostamble={{x}{F6}{DELAY 5000}{\n[OtherSettings]\nKeyTokens=1",
       {}},
      {fnc1 + "[Profile.wms]\nTypes=5\nKeyTokens=1\nPreambleEnable=1\nPreamble={delay 9000}x",
       {":4: warning: Profile.wms.Preamble: \"{delay 9000}\" is no key token and is typed as it "
        "stands (a pause takes 0 to 5000 ms)"}},
  };
  for (const Row& row : rows) {
    const ToolResult plain = Check(row.ini);
    EXPECT_EQ(plain.out.find("warning:"), std::string::npos) << row.ini;
    const ToolResult r = RunTool({"check", "--warnings", File()});
    std::string expected;
    for (const std::string& line : row.lines) expected += File() + line + "\n";
    EXPECT_EQ(r.out, expected) << row.ini;
    EXPECT_EQ(r.code, row.lines.empty() ? 0 : 1) << row.ini;
  }
}

TEST_F(CheckTest, SeveralFilesGetAVerdictEachAndASummary) {
  ASSERT_TRUE(WriteBytes(folder_.File("BAD.INI"), "[Filter]\nStripFirst=x\n"));
  ASSERT_TRUE(WriteBytes(folder_.File("GOOD.INI"), "[Filter]\nReplaceFNC1Enable=1\n"));
  ASSERT_TRUE(WriteBytes(folder_.File("PLAIN.INI"), ""));
  const std::string bad = NativePath(folder_.File("BAD.INI")),
                    good = NativePath(folder_.File("GOOD.INI")),
                    plain = NativePath(folder_.File("PLAIN.INI")),
                    missing = NativePath(folder_.File("NONE.INI"));
  const std::string gs = ": warning: Filter.ReplaceFNC1Enable: FNC1 replacement is off";
  struct Row {
    std::vector<std::string> args;
    int code;
    std::vector<std::string> lines;  // a warning's line compared up to its length
  };
  const Row rows[] = {
      {{"check", good, plain},
       0,
       {good + ": no problems", plain + ": no problems",
        "2 files checked: 0 with problems, 2 clean, 0 unreadable"}},
      {{"check", bad, good},
       1,
       {bad + ": 1 problem", bad + ":2: Filter.StripFirst: not a decimal number, read as 0",
        good + ": no problems", "2 files checked: 1 with problems, 1 clean, 0 unreadable"}},
      {{"check", "--warnings", good, plain, bad},
       1,
       {good + ": no problems, no warnings", plain + ": no problems, 1 warning", plain + gs,
        bad + ": 1 problem, 1 warning",
        bad + ":2: Filter.StripFirst: not a decimal number, read as 0", bad + gs,
        "3 files checked: 1 with problems, 1 with warnings only, 1 clean, 0 unreadable"}},
      {{"check", missing, good},
       2,
       {missing + ": cannot read", good + ": no problems",
        "2 files checked: 0 with problems, 1 clean, 1 unreadable"}},
  };
  for (const Row& row : rows) {
    const ToolResult r = RunTool(row.args);
    EXPECT_EQ(r.code, row.code) << row.args[1];
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), row.lines.size()) << r.out;
    for (size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].substr(0, row.lines[i].size()), row.lines[i]);
    }
    EXPECT_EQ(Lines(r.err).size(), row.code == 2 ? 1u : 0u) << r.err;
  }
}

// The example shipped for administrators must itself pass.
TEST(CheckExample, ShippedExampleIsClean) {
  std::string source = __FILE__;
  source = source.substr(0, source.find_last_of("/\\") + 1) + "../../examples/SARNU.INI";
  // Under Wine the build tree's Linux paths are on drive Z:.
  std::vector<std::string> candidates = {source};
  if (!source.empty() && source[0] == '/') candidates.push_back("Z:" + source);
  for (const std::string& path : candidates) {
    const ToolResult r = RunTool({"check", path});
    if (r.code == 2) continue;
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "");
    return;
  }
  GTEST_SKIP() << "examples/SARNU.INI not reachable from " << source;
}

}  // namespace
