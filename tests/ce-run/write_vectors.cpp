// Writes the vector file that the terminal's self-check image recomputes:
// a few thousand cases made from the examples, the fuzz corpus and settings
// varied in a fixed pseudo-random order, each with the result this host
// build of the portable core gives.
//   write_vectors OUTPUT TOP WORK
// TOP is the source tree (examples/, fuzz/corpus/); WORK a folder for the
// cases' files. Prints the number of cases.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vector_cases.h"

namespace {

namespace fs = std::filesystem;

// A fixed sequence, so that the file is the same on every machine.
struct Random {
  uint32_t state = 12345;
  uint32_t Next() {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  }
  uint32_t Below(uint32_t n) { return Next() % n; }
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[Below(uint32_t(from.size()))];
  }
};

std::string Escaped(const std::string& bytes) {
  std::string out(bytes.size() * 4 + 1, '\0');
  out.resize(EscapeBytes(bytes.data(), bytes.size(), out.data(), out.size()));
  return out;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> CorpusFiles(const fs::path& folder, size_t limit) {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(folder)) paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> texts;
  for (const auto& p : paths) texts.push_back(ReadFile(p).substr(0, limit));
  return texts;
}

// examples/barcodes.txt: one barcode a line, "\\", "\"" and "\xHH" escaped.
std::vector<std::string> ExampleBarcodes(const fs::path& file) {
  std::vector<std::string> barcodes;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::string bytes;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
        bytes += '"';
        ++i;
      } else if (line[i] == '\\' && i + 3 < line.size() && line[i + 1] == 'x') {
        bytes += char(std::stoi(line.substr(i + 2, 2), nullptr, 16));
        i += 3;
      } else if (line[i] == '\\' && i + 1 < line.size()) {
        bytes += line[++i];
      } else {
        bytes += line[i];
      }
    }
    barcodes.push_back(bytes);
  }
  return barcodes;
}

// UTF-16LE with its mark, for the ASCII text of a generated file.
std::string Utf16File(const std::string& text) {
  std::string out = "\xFF\xFE";
  for (char c : text) {
    out += c;
    out += '\0';
  }
  return out;
}

// A settings file with each filter key on, off or missing by chance, some
// with profiles.
std::string RandomSettings(Random& r) {
  static const std::vector<std::string> texts = {"",  "<",    "OUT\\t",  "\\x41\\o102", "[\\r\\n]",
                                                 "~", "\\\\", "caf\xE9", "  spaced  "};
  static const std::vector<std::string> sets = {"0", " ", "0 ", "xX", "*-", "\xE9", ""};
  std::string ini = "[Filter]\r\n";
  auto flag = [&](const char* key) {
    const uint32_t k = r.Below(3);
    if (k < 2) ini += std::string(key) + "=" + std::to_string(k) + "\r\n";
  };
  auto number = [&](const char* key, uint32_t below) {
    if (r.Below(4)) ini += std::string(key) + "=" + std::to_string(r.Below(below)) + "\r\n";
  };
  auto text = [&](const char* key, const std::vector<std::string>& from) {
    if (r.Below(4)) ini += std::string(key) + "=" + r.Pick(from) + "\r\n";
  };
  flag("PreambleEnable");
  text("Preamble", texts);
  flag("PostambleEnable");
  text("Postamble", texts);
  flag("ReplaceFNC1Enable");
  text("ReplaceFNC1", texts);
  flag("StripLeadingEnable");
  text("StripLeading", sets);
  flag("StripTrailingEnable");
  text("StripTrailing", sets);
  flag("StripFirstEnable");
  number("StripFirst", 6);
  flag("StripLastEnable");
  number("StripLast", 6);
  flag("SendRangeEnable");
  number("SendRangeStart", 8);
  number("SendRangeEnd", 25);
  flag("ValidateContentEnable");
  number("ValidateContentMode", 3);
  flag("ModifyCaseEnable");
  number("ModifyCaseMode", 3);
  if (r.Below(3) == 0) {
    ini +=
        "[Profile.wms]\r\nPrograms=wms.exe;Scan.EXE\r\nTypes=512;73\r\nPreambleEnable=1\r\n"
        "Preamble=W:\r\nModifyCaseEnable=" +
        std::to_string(r.Below(2)) + "\r\n";
    ini += "[Profile.labels]\r\nTypes=" + std::to_string(r.Below(4)) +
           "\r\nStripFirstEnable=1\r\nStripFirst=" + std::to_string(r.Below(4)) + "\r\n";
  }
  if (r.Below(5) == 0) ini += "[OtherSettings]\r\nKeyDelay=" + std::to_string(r.Below(60)) + "\r\n";
  return r.Below(6) == 0 ? Utf16File(ini) : ini;
}

struct Writer {
  std::FILE* file;
  size_t cases = 0;
  std::vector<char> result = std::vector<char>(1 << 17);
  bool Case(const std::vector<std::string>& fields) {
    std::string line;
    for (const auto& f : fields) line += (line.empty() ? "" : "\t") + Escaped(f);
    if (!ComputeCase(line.data(), line.size(), result.data(), result.size())) {
      std::fprintf(stderr, "write_vectors: not a case: %s\n", line.c_str());
      return false;
    }
    std::fprintf(file, "%s\t%s\n", line.c_str(), result.data());
    ++cases;
    return true;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: write_vectors OUTPUT TOP WORK\n");
    return 2;
  }
  const fs::path top = argv[2];
  fs::create_directories(argv[3]);
  setenv("SARNU_ROOT", argv[3], 1);
  Writer w{std::fopen(argv[1], "wb")};
  if (!w.file) return 2;
  std::fprintf(w.file, "# Sarnu self-check vectors: case fields, then the host's result\n");
  Random r;
  bool ok = true;

  std::vector<std::string> barcodes = ExampleBarcodes(top / "examples/barcodes.txt");
  for (const auto& c : CorpusFiles(top / "fuzz/corpus/filter", 400)) barcodes.push_back(c);
  for (const auto& c : CorpusFiles(top / "fuzz/corpus/escaped_text", 400)) barcodes.push_back(c);
  const std::vector<std::string> made = {"0004006381333931",
                                         "000000",
                                         "  padded  ",
                                         "Mixed Case 123",
                                         "\x1D"
                                         "0101234\x1D"
                                         "10AB",
                                         "",
                                         "x",
                                         std::string(300, 'A') + "123",
                                         "Caf\xE9 \x80\x9F\xFF",
                                         "\x1D",
                                         "12345678901234567890123456789012345",
                                         "a\tb\rc\nd",
                                         "\\x41",
                                         "\x7F~}|{"};
  barcodes.insert(barcodes.end(), made.begin(), made.end());
  const std::vector<int> types = {0, 512, 73, 106, 3, -1};
  const std::vector<std::string> programs = {"", "wms.exe", "\\Windows\\SCAN.exe", "notepad.exe"};

  // Settings, each with the barcodes under two readings.
  std::vector<std::string> inis;
  for (int i = 0; i < 40; ++i) inis.push_back(RandomSettings(r));
  for (const auto& c : CorpusFiles(top / "fuzz/corpus/ini", 20000)) inis.push_back(c);
  for (const auto& ini : inis) {
    const int reader = int(r.Below(3));
    ok &= w.Case({"S", std::to_string(reader), ini});
    for (const auto& barcode : barcodes) {
      for (int k = 0; k < 2; ++k) {
        ok &= w.Case({"F", std::to_string(r.Below(6)), std::to_string(r.Pick(types)),
                      r.Pick(programs), barcode});
      }
    }
  }

  // INI files read and rewritten.
  const std::vector<std::vector<std::string>> edits = {{"Filter", "Preamble", "=X\\t"},
                                                       {"filter", "PREAMBLE", "-"},
                                                       {"New", "Key", "=v a l"},
                                                       {"Filter", "", "-"},
                                                       {"OtherSettings", "KeyDelay", "=5"},
                                                       {"Profile.wms", "Programs", "=a.exe;b.exe"},
                                                       {"Filter", "Missing", "-"},
                                                       {"Filter", "StripLeading", "=\xE9\xE8"},
                                                       {"", "Key", "=x"}};
  std::vector<std::string> editFiles = CorpusFiles(top / "fuzz/corpus/ini", 20000);
  for (int i = 0; i < 12; ++i) editFiles.push_back(RandomSettings(r));
  editFiles.push_back("");
  for (const auto& file : editFiles) {
    for (const auto& e : edits) ok &= w.Case({"I", file, e[0], e[1], e[2]});
  }

  // Escapes: the corpus, and every byte after a backslash in three places.
  for (const auto& c : CorpusFiles(top / "fuzz/corpus/escaped_text", 300)) {
    std::string text = c.substr(0, c.find('\0'));
    ok &= w.Case({"E", text});
  }
  for (int b = 1; b < 256; ++b) {
    const std::string c(1, char(b));
    ok &= w.Case({"E", "a\\" + c + "41\\" + c + "7" + c + "z\\" + c});
  }
  ok &= w.Case({"E", std::string(259, 'e')});
  ok &= w.Case({"E", std::string(258, 'e') + "\\t"});

  // Key events of every byte.
  for (int b = 0; b < 256; ++b) ok &= w.Case({"K", std::to_string(b)});

  // Bulk runs of barcodes drawn with repeats.
  for (int run = 0; run < 60; ++run) {
    std::vector<std::string> fields = {"B", std::to_string(r.Below(2)), std::to_string(r.Below(2)),
                                       std::to_string(r.Below(3) == 0 ? 4294967295u : r.Below(8))};
    const int n = 1 + int(r.Below(12));
    for (int i = 0; i < n; ++i) {
      fields.push_back(std::to_string(r.Below(3)));
      fields.push_back(barcodes[r.Below(8)].substr(0, 60));
    }
    ok &= w.Case(fields);
  }

  // Queues of one to three pages with items up to past a page.
  for (int q = 0; q < 30; ++q) {
    std::vector<std::string> fields = {"Q", std::to_string(r.Below(4))};
    const int n = 1 + int(r.Below(20));
    for (int i = 0; i < n; ++i) fields.push_back(std::to_string(r.Below(q % 3 ? 300 : 6000)));
    ok &= w.Case(fields);
  }

  EndCases();
  std::fclose(w.file);
  std::printf("%zu cases\n", w.cases);
  return ok ? 0 : 1;
}
