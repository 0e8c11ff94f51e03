// In-process runs of sarnuconf: its two streams go to temporary files that
// are read back, so the tests see exactly the bytes a script would.
#include "tool_runner.h"

#include <cstdio>

#include "sarnuconf.h"
#include "wide_text.h"

namespace {

std::string ReadAll(FILE* file) {
  std::string text;
  std::fflush(file);
  std::rewind(file);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  return text;
}

}  // namespace

ToolResult RunTool(const std::vector<std::string>& args) {
  std::vector<std::string> texts;
  texts.push_back("sarnuconf");
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& t : texts) argv.push_back(&t[0]);
  argv.push_back(nullptr);

  // Binary mode, so line ends are compared as written.
  FILE* out = std::tmpfile();
  FILE* err = std::tmpfile();
  ToolResult result{-1, "", ""};
  if (out == nullptr || err == nullptr) {
    result.err = "no temporary file for the output";
  } else {
    result.code = SarnuconfMain(int(texts.size()), argv.data(), out, err);
    result.out = ReadAll(out);
    result.err = ReadAll(err);
  }
  if (out) std::fclose(out);
  if (err) std::fclose(err);
  return result;
}

std::string NativePath(const std::u16string& productPath) {
  std::u16string native = productPath;
  if (native.compare(0, 4, u"\\\\?\\") == 0) native.erase(0, 4);
  std::string utf8(native.size() * 3 + 1, '\0');
  utf8.resize(WideToUtf8(native.data(), native.size(), &utf8[0], utf8.size()));
  return utf8;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}
