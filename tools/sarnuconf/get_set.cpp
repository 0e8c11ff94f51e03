// "sarnuconf get" and "sarnuconf set": one key read with the INI library's
// getter and written with its writer, the same calls the settings program
// makes, so a file edited here is a file the terminal reads back alike.
#include <string>
#include <vector>

#include "commands.h"
#include "ini_file.h"
#include "sarnuconf.h"

namespace {

// As much as the settings record keeps of a value.
enum : size_t { kValueUnits = 260 };

// Long enough to see whether a written value reads back whole.
enum : size_t { kReadBackUnits = 4096 };

bool HasLineBreak(const std::u16string& text) {
  return text.find(u'\r') != std::u16string::npos || text.find(u'\n') != std::u16string::npos;
}

bool IsIniBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

// What the reader makes of a value written as it is: blanks at both ends
// trimmed, then one leading and one trailing double quote removed.
std::u16string AsRead(const std::u16string& value) {
  size_t begin = 0, end = value.size();
  while (begin < end && IsIniBlank(value[begin])) ++begin;
  while (end > begin && IsIniBlank(value[end - 1])) --end;
  std::u16string text = value.substr(begin, end - begin);
  if (!text.empty() && text[0] == u'"') {
    const bool closed = text.size() >= 2 && text.back() == u'"';
    text = text.substr(1, text.size() - (closed ? 2 : 1));
  }
  return text;
}

// The writer puts names and values on lines of their own: a line break
// inside one would make lines of its own, and an "=" in a key or a key
// starting like a header or a comment would be read back as something else.
bool ValidateNames(const Io& io, const std::u16string& section, const std::u16string& key,
                   const std::u16string* value) {
  if (section.empty() || key.empty()) {
    Fail(io, "the section and the key must not be empty");
    return false;
  }
  if (HasLineBreak(section) || HasLineBreak(key) || (value && HasLineBreak(*value))) {
    Fail(io, "a section, key or value must not hold a line break");
    return false;
  }
  if (key.find(u'=') != std::u16string::npos || key[0] == u'[' || key[0] == u';' ||
      IsIniBlank(key[0]) || IsIniBlank(key.back())) {
    Fail(io, "a key must not hold \"=\", start with \"[\" or \";\", or start or end with a blank");
    return false;
  }
  return true;
}

}  // namespace

int RunGet(const Io& io, int argc, char** argv) {
  if (argc != 3) return Fail(io, "get takes an INI file, a section and a key");
  char16_t path[kPathUnits];
  if (!ResolveIniPath(io, argv[0], true, path)) return kExitUsage;
  const std::u16string section = Utf16(argv[1]);
  const std::u16string key = Utf16(argv[2]);
  if (!ValidateNames(io, section, key, nullptr)) return kExitUsage;

  char16_t value[kValueUnits];
  const size_t length = IniFind(section.c_str(), key.c_str(), value, kValueUnits, path);
  if (length == 0) {
    std::fprintf(io.err, "sarnuconf: %s: [%s] %s not found\n", argv[0], argv[1], argv[2]);
    return kExitProblems;
  }
  std::fprintf(io.out, "%s\n", Utf8(value, length).c_str());
  return kExitFound;
}

int RunSet(const Io& io, int argc, char** argv) {
  if (argc != 4) return Fail(io, "set takes an INI file, a section, a key and a value");
  char16_t path[kPathUnits];
  // A missing file is fine: the writer makes it.
  if (!ResolveIniPath(io, argv[0], false, path)) return kExitUsage;
  const std::u16string section = Utf16(argv[1]);
  const std::u16string key = Utf16(argv[2]);
  const std::u16string value = Utf16(argv[3]);
  if (!ValidateNames(io, section, key, &value)) return kExitUsage;

  if (!IniSetString(section.c_str(), key.c_str(), value.c_str(), path)) {
    std::fprintf(io.err, "sarnuconf: %s: the file is read-only, nothing written\n", argv[0]);
    return kExitProblems;
  }
  // The writer reports success even when its rewrite failed (callers on the
  // terminal rely on that); a tool must not, so read the value back.
  std::vector<char16_t> readBack(kReadBackUnits);
  const size_t length =
      IniFind(section.c_str(), key.c_str(), readBack.data(), readBack.size(), path);
  const std::u16string expected = AsRead(value);
  if (std::u16string(readBack.data(), length) != expected) {
    std::fprintf(io.err, "sarnuconf: %s: [%s] %s does not read back as written\n", argv[0], argv[1],
                 argv[2]);
    return kExitProblems;
  }
  return kExitOk;
}
