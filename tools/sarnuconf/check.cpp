// "sarnuconf check": walks SARNU.INI line by line with the INI library's own
// line reader and reports, one line each, everything the wedge would ignore,
// misread or change without a word: typos in names, numbers that do not
// parse, wrap or are clamped, values the settings program would refuse,
// repeated sections and keys, over-long lines.
#include <cstring>
#include <string>
#include <vector>

#include "check_problems.h"
#include "commands.h"
#include "ini_file.h"
#include "sarnuconf.h"
#include "settings.h"
#include "settings_table.h"

namespace {

// Narrow files hold at most this many characters per line.
enum : size_t { kMaxLineLength = 259 };

enum class Place {
  BeforeSections,  // nothing read yet belongs to a section
  Known,           // the first section of a known name: the wedge reads it
  Ignored,         // an unknown section or a repeated one
};

struct Walk {
  const Io* io;
  const char* fileName;
  size_t lineNumber;
  size_t problems;
  Place place;
  const char* section;  // known name while place is Known
  // Line of the first header of each known section, of the first line of
  // each key in its section; 0 when not seen yet.
  std::vector<size_t> sectionLine;
  std::vector<size_t> keyLine;
};

void Report(Walk* walk, const std::string& subject, const std::string& problem) {
  ++walk->problems;
  // Numbers through to_string: the Windows C library lacks %zu.
  const std::string line = std::to_string(walk->lineNumber);
  if (subject.empty()) {
    std::fprintf(walk->io->out, "%s:%s: %s\n", walk->fileName, line.c_str(), problem.c_str());
  } else {
    std::fprintf(walk->io->out, "%s:%s: %s: %s\n", walk->fileName, line.c_str(), subject.c_str(),
                 problem.c_str());
  }
}

std::string WithHint(const std::string& problem, const std::string& hint) {
  return hint.empty() ? problem : problem + " (" + hint + ")";
}

// Index of the first field of the known section that this header opens,
// or -1. The match is the library's own, so "[Filter ]" is unknown as it is
// to the wedge.
int KnownSectionOf(const IniLine& line) {
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    if (i > 0 &&
        std::strcmp(kSettingsFields[i].sectionName, kSettingsFields[i - 1].sectionName) == 0) {
      continue;
    }
    if (IniLineIsSection(line, kSettingsFields[i].section)) return int(i);
  }
  return -1;
}

void OnHeader(Walk* walk, const IniLine& line) {
  const std::string header = Utf8(line.start, line.length);
  const int first = KnownSectionOf(line);
  if (first < 0) {
    Report(walk, header, WithHint("unknown section, ignored", SectionHint(header)));
    walk->place = Place::Ignored;
    return;
  }
  size_t& seen = walk->sectionLine[size_t(first)];
  if (seen != 0) {
    Report(
        walk, header,
        "second section of this name, ignored (the first is at line " + std::to_string(seen) + ")");
    walk->place = Place::Ignored;
    return;
  }
  seen = walk->lineNumber;
  walk->place = Place::Known;
  walk->section = kSettingsFields[first].sectionName;
}

void OnKey(Walk* walk, const Settings& record, const char16_t* key, size_t keyLength,
           const char16_t* value, size_t valueLength) {
  const std::string keyName = Utf8(key, keyLength);
  if (walk->place == Place::BeforeSections) {
    Report(walk, keyName, "key outside any section, ignored");
    return;
  }
  if (walk->place == Place::Ignored) return;

  const std::u16string wideKey(key, keyLength);
  const std::u16string wideSection = Utf16(walk->section);
  const FieldInfo* info = FindField(wideSection.c_str(), wideKey.c_str());
  const std::string subject = std::string(walk->section) + "." + (info ? info->keyName : keyName);
  if (info == nullptr) {
    Report(walk, subject, WithHint("unknown key, ignored", KeyHint(walk->section, keyName)));
    return;
  }
  size_t& seen = walk->keyLine[size_t(info - kSettingsFields)];
  if (seen != 0) {
    Report(walk, subject,
           "repeated key, ignored (the first is at line " + std::to_string(seen) + ")");
    return;
  }
  seen = walk->lineNumber;
  std::string problem;
  if (!CheckFieldValue(record, *info, value, valueLength, &problem)) Report(walk, subject, problem);
}

// The line as it stands in the file, leading blanks included.
size_t RawLineLength(const IniFile& file, size_t start) {
  size_t end = start;
  while (end < file.length && file.text[end] != u'\r' && file.text[end] != u'\n') ++end;
  return end - start;
}

// Names the line in a message: its key, its header, or nothing.
std::string SubjectOf(const Walk& walk, const IniLine& line) {
  if (line.start == nullptr || IniLineIsComment(line)) return std::string();
  if (IniLineIsSectionHeader(line)) return Utf8(line.start, line.length);
  const char16_t *key, *value;
  size_t keyLength, valueLength;
  if (!IniLineKeyValue(line, &key, &keyLength, &value, &valueLength)) return std::string();
  const std::string keyName = Utf8(key, keyLength);
  return walk.place == Place::Known ? std::string(walk.section) + "." + keyName : keyName;
}

void OnLine(Walk* walk, const Settings& record, const IniLine& line, size_t rawLength) {
  if (rawLength > kMaxLineLength) {
    // Named before the line itself moves the walk into a new section.
    Report(walk, SubjectOf(*walk, line),
           "line of " + std::to_string(rawLength) + " characters, longer than " +
               std::to_string(size_t(kMaxLineLength)));
  }
  if (line.start == nullptr || IniLineIsComment(line)) return;
  if (IniLineIsSectionHeader(line)) {
    OnHeader(walk, line);
    return;
  }
  const char16_t *key, *value;
  size_t keyLength, valueLength;
  if (IniLineKeyValue(line, &key, &keyLength, &value, &valueLength)) {
    OnKey(walk, record, key, keyLength, value, valueLength);
  } else if (walk->place != Place::Ignored) {
    Report(walk, std::string(), "not a key line (no \"=\" or no key), ignored");
  }
}

}  // namespace

int RunCheck(const Io& io, int argc, char** argv) {
  if (argc != 1) return Fail(io, "check takes one INI file (sarnuconf check INI)");
  char16_t path[kPathUnits];
  if (!ResolveIniPath(io, argv[0], true, path)) return kExitUsage;

  // The record tells what the wedge will hold for each key, so the messages
  // never guess at the library's arithmetic.
  Settings record(kScannerLaser, path, u"");
  IniFile file;
  if (!IniOpen(&file, path)) {
    IniClose(&file);
    return Fail(io, "cannot read %s", argv[0]);
  }
  Walk walk{&io,
            argv[0],
            0,
            0,
            Place::BeforeSections,
            nullptr,
            std::vector<size_t>(kSettingsFieldCount, 0),
            std::vector<size_t>(kSettingsFieldCount, 0)};
  for (;;) {
    const size_t start = file.position;
    if (!IniNextLine(&file)) break;
    ++walk.lineNumber;
    OnLine(&walk, record, file.line, RawLineLength(file, start));
  }
  IniClose(&file);
  return walk.problems == 0 ? kExitOk : kExitProblems;
}
