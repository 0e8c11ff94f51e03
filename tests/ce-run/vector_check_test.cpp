// The checker that the terminal's self-check runs, run here on the host's
// own vector file: every case must come out as written, and a result
// changed by hand must be reported at its line, so that "all agreed" on
// the terminal means something.
//   vector_check_tests VECTORS WORK  (from ctest, after write_vectors)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "vector_cases.h"

namespace {

std::string g_vectorFile;

std::string ReadVectors() {
  std::ifstream in(g_vectorFile, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

void Record(void* context, size_t line, const char*, size_t, const char*, const char*) {
  static_cast<std::vector<size_t>*>(context)->push_back(line);
}

VectorReport Check(const std::string& text, std::vector<size_t>* lines) {
  VectorReport report = {0, 0, 0, Record, lines};
  CheckVectors(text.data(), text.size(), &report);
  EndCases();
  return report;
}

// The index of the n-th line (from 0) whose case is of `kind`.
size_t NthOfKind(const std::vector<std::string>& lines, char kind, size_t n) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() > 1 && lines[i][0] == kind && lines[i][1] == '\t' && n-- == 0) return i;
  }
  ADD_FAILURE() << "no case of kind " << kind;
  return 0;
}

TEST(VectorFile, EveryCaseComesOutAsWrittenAndEveryKindIsThere) {
  const std::string text = ReadVectors();
  ASSERT_FALSE(text.empty()) << g_vectorFile;
  std::map<char, size_t> kinds;
  for (const auto& line : Lines(text)) {
    if (!line.empty() && line[0] != '#') ++kinds[line[0]];
  }
  for (char kind : std::string("SFIEKBQ")) EXPECT_GT(kinds[kind], 0u) << kind;
  EXPECT_GE(kinds['F'], 2000u);
  EXPECT_EQ(kinds['K'], 256u);

  std::vector<size_t> differing;
  const VectorReport report = Check(text, &differing);
  EXPECT_EQ(report.differed, 0u);
  EXPECT_EQ(report.malformed, 0u);
  EXPECT_EQ(report.agreed, kinds['S'] + kinds['F'] + kinds['I'] + kinds['E'] + kinds['K'] +
                               kinds['B'] + kinds['Q']);
}

TEST(VectorFile, ChangedResultsAreReportedAtTheirLinesAndCutLinesAsMalformed) {
  std::vector<std::string> lines = Lines(ReadVectors());
  ASSERT_FALSE(lines.empty());
  // A filter output, a key event, a loaded record's first value, an INI
  // file's last byte: each one character off.
  std::vector<size_t> changed = {NthOfKind(lines, 'F', 7), NthOfKind(lines, 'K', 65),
                                 NthOfKind(lines, 'S', 2), NthOfKind(lines, 'I', 3)};
  for (size_t i : changed) lines[i].back() = lines[i].back() == 'Z' ? 'Y' : 'Z';
  // A case without its result, and one of an unknown kind.
  const size_t cut = NthOfKind(lines, 'E', 4);
  lines[cut] = lines[cut].substr(0, lines[cut].find('\t'));
  lines.push_back("X\tsomething\tresult");

  std::vector<size_t> differing;
  const VectorReport report = Check(Join(lines), &differing);
  EXPECT_EQ(report.differed, changed.size());
  EXPECT_EQ(report.malformed, 2u);
  ASSERT_EQ(differing.size(), changed.size());
  std::sort(changed.begin(), changed.end());
  for (size_t k = 0; k < changed.size(); ++k) EXPECT_EQ(differing[k], changed[k] + 1);
}

TEST(VectorFile, EscapedFormRoundTripsEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += char(b);
  char escaped[1100];
  const size_t n = EscapeBytes(all.data(), all.size(), escaped, sizeof escaped);
  EXPECT_EQ(std::string(escaped).find_first_of("\t\r\n"), std::string::npos);
  char back[300];
  ASSERT_EQ(UnescapeBytes(escaped, n, back, sizeof back), all.size());
  EXPECT_EQ(std::string(back, all.size()), all);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc >= 3) {
    g_vectorFile = argv[1];
    // ctest runs the tests side by side: each gets a folder for its cases.
    const std::string work = std::string(argv[2]) + "/check-" + std::to_string(getpid());
    std::filesystem::create_directories(work);
    setenv("SARNU_ROOT", work.c_str(), 1);
  }
  return RUN_ALL_TESTS();
}
