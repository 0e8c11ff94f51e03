// "sarnuconf diff" must report a key exactly when the wedge would hold a
// different value for it: spelling, defaults spelled out and wrapped numbers
// do not count, a changed decoded text does.
#include <gtest/gtest.h>

#include "test_support.h"
#include "tool_runner.h"

namespace {

TEST(DiffTest, ReportsOnlyEffectiveDifferences) {
  TempFolder folder;
  const std::string a = NativePath(folder.File("A.INI")), b = NativePath(folder.File("B.INI"));
  struct Row {
    const char* a;
    const char* b;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"[filter]\n PREAMBLEENABLE = 0\n[BulkScanning]\nBulkLimit=100\n", "", {}},
      {"[BulkScanning]\nBulkLimit=70000", "[BulkScanning]\nBulkLimit=4464", {}},
      {"[BulkCounterWindow]\nCounterForegroundColor=00ff00", "", {}},
      {"[BulkScanning]\nBulkLimit=50", "", {"BulkScanning.BulkLimit: \"50\" -> \"100\""}},
      // Typed differently, sent alike.
      {"[Filter]\nPreamble=\\t",
       "[Filter]\nPreamble=\\x09",
       {"Filter.Preamble: \"\\t\" -> \"\\x09\""}},
      {"[Filter]\nPostamble=A B",
       "",
       {"Filter.Postamble: \"A B\" -> \"\"", "Filter.Postamble#decoded: \"A B\" -> \"\""}},
      {"[Filter]\nStripFirst=3\n[OtherSettings]\nShowSplash=0",
       "[Filter]\nStripFirst=4",
       {"Filter.StripFirst: \"3\" -> \"4\"", "OtherSettings.ShowSplash: \"0\" -> \"1\""}},
      // Profiles pair by name; their order is the order of matching.
      {"[Profile.a]\nTypes=+1\nPrograms=A.exe", "[PROFILE.a]\nPrograms=a.exe\nTypes=1", {}},
      {"[Profile.a]\nTypes=1\n[Profile.b]\nTypes=2",
       "[profile.B]\nTypes=2\n[Profile.a]\nTypes=1\nKeyDelay=3",
       {"Profiles: \"a;b\" -> \"B;a\"", "Profile.a.KeyDelay: \"0\" -> \"3\""}},
      {"[Filter]\nStripFirst=3\n[Profile.a]\nTypes=1",
       "[Profile.a]\nTypes=1",
       {"Filter.StripFirst: \"3\" -> \"0\"", "Profile.a.StripFirst: \"3\" -> \"0\""}},
  };
  for (const Row& row : rows) {
    ASSERT_TRUE(WriteBytes(folder.File("A.INI"), row.a));
    ASSERT_TRUE(WriteBytes(folder.File("B.INI"), row.b));
    const ToolResult r = RunTool({"diff", a, b});
    EXPECT_EQ(Lines(r.out), row.lines) << row.a;
    EXPECT_EQ(r.code, row.lines.empty() ? 0 : 1) << row.a;
    EXPECT_EQ(r.err, "");
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"diff", a}, {"diff", a, NativePath(folder.File("NONE.INI"))}}) {
    const ToolResult r = RunTool(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
}

}  // namespace
