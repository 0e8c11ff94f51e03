// "sarnuconf get" and "set" go through the product's INI library; set must
// not let a value break the file's line structure and must not report a
// write that did not happen as success.
#include <gtest/gtest.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "sarnuconf.h"
#include "test_support.h"
#include "tool_runner.h"

namespace {

class GetSetTest : public ::testing::Test {
 protected:
  std::u16string Ini() { return folder_.File("SARNU.INI"); }
  std::string File() { return NativePath(Ini()); }
  void MakeReadOnly() {
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>(Ini().c_str()),
                                   FILE_ATTRIBUTE_READONLY));
#else
    ASSERT_EQ(chmod(File().c_str(), 0444), 0);
#endif
  }
  void MakeWritable() {
#ifdef _WIN32
    SetFileAttributesW(reinterpret_cast<const wchar_t*>(Ini().c_str()), FILE_ATTRIBUTE_NORMAL);
#else
    chmod(File().c_str(), 0644);
#endif
  }
  TempFolder folder_;
};

TEST_F(GetSetTest, SetBuildsTheFileThatGetAndShowRead) {
  EXPECT_EQ(RunTool({"set", File(), "BulkScanning", "BulkLimit", "50"}).code, 0);
  EXPECT_EQ(RunTool({"set", File(), "Filter", "Preamble", "AB\\t"}).code, 0);
  EXPECT_EQ(ReadBytes(Ini()), "[BulkScanning]\r\nBulkLimit=50\r\n[Filter]\r\nPreamble=AB\\t\r\n");

  ToolResult r = RunTool({"get", File(), "bulkscanning", "BULKLIMIT"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "50\n");
  r = RunTool({"show", File()});
  EXPECT_NE(r.out.find("BulkScanning.BulkLimit=50\n"), std::string::npos);
  EXPECT_NE(r.out.find("Filter.Preamble#decoded=AB\\x09\n"), std::string::npos);
}

TEST_F(GetSetTest, GetOfNothingIsNotFound) {
  ASSERT_TRUE(WriteBytes(Ini(), "[Filter]\r\nPreamble=\r\n"));
  for (const char* key : {"Preamble", "Postamble"}) {
    const ToolResult r = RunTool({"get", File(), "Filter", key});
    EXPECT_EQ(r.code, 1) << key;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(RunTool({"get", File(), "Other", "Preamble"}).code, 1);
  EXPECT_EQ(RunTool({"get", NativePath(folder_.File("NONE.INI")), "Filter", "Preamble"}).code, 2);
}

TEST_F(GetSetTest, QuotedValueKeepsItsBlanks) {
  ASSERT_EQ(RunTool({"set", File(), "Filter", "Postamble", "\" x \""}).code, 0);
  EXPECT_EQ(RunTool({"get", File(), "Filter", "Postamble"}).out, " x \n");
}

TEST_F(GetSetTest, RefusesWhatWouldBreakTheFile) {
  const std::string before = "[Filter]\r\nPreambleEnable=0\r\n";
  ASSERT_TRUE(WriteBytes(Ini(), before));
  const std::vector<std::vector<std::string>> calls = {
      {"Filter", "Preamble", "x\r\n[OtherSettings]\r\nShowSplash=0"},
      {"Filter", "Preamble", "x\ny"},
      {"Filter", "Pre=amble", "x"},
      {"Filter", "[Preamble", "x"},
      {"Filter", "", "x"},
      {"", "Preamble", "x"},
      {"Fil\nter", "Preamble", "x"},
  };
  for (const auto& call : calls) {
    const ToolResult r = RunTool({"set", File(), call[0], call[1], call[2]});
    EXPECT_EQ(r.code, 2) << call[1];
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
  EXPECT_EQ(ReadBytes(Ini()), before);
}

TEST_F(GetSetTest, ReadOnlyFileIsAFailure) {
  const std::string before = "[Filter]\r\nPreambleEnable=0\r\n";
  ASSERT_TRUE(WriteBytes(Ini(), before));
  MakeReadOnly();
  const ToolResult r = RunTool({"set", File(), "Filter", "PreambleEnable", "1"});
  MakeWritable();
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(ReadBytes(Ini()), before);
}

TEST(CommandLine, BadUsageIsOneLineAndExitTwo) {
  const std::vector<std::vector<std::string>> calls = {
      {},
      {"shwo", "x"},
      {"show"},
      {"show", "a", "b"},
      {"check"},
      {"get", "a", "b"},
      {"set", "a", "b", "c"},
      {"show", ""},
  };
  for (const auto& call : calls) {
    const ToolResult r = RunTool(call);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Lines(r.err).size(), 1u) << r.err;
  }
}

TEST(CommandLine, HelpDescribesTheKeyEvents) {
  const ToolResult r = RunTool({"help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("U+HHHH"), std::string::npos);
  EXPECT_NE(r.out.find("preview INI --reader"), std::string::npos);
}

}  // namespace
