// "sarnuconf check": walks SARNU.INI line by line with the INI library's own
// line reader and reports, one line each, everything the wedge would ignore,
// misread or change without a word: typos in names, numbers that do not
// parse, wrap or are clamped, values the settings program would refuse,
// repeated sections and keys, over-long lines, and what the wedge ignores of
// a profile or a profile that never takes a barcode. On request also the
// valid settings that surprise in the field; several files get a verdict
// each.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "check_problems.h"
#include "commands.h"
#include "ini_file.h"
#include "profiles.h"
#include "sarnuconf.h"
#include "settings.h"
#include "settings_table.h"

namespace {

// Narrow files hold at most this many characters per line.
enum : size_t { kMaxLineLength = 259 };

enum class Place {
  BeforeSections,  // nothing read yet belongs to a section
  Known,           // the first section of a known name: the wedge reads it
  Profile,         // a profile section whose keys the wedge reads
  KeyMap,          // the first [KeyMap]
  Ignored,         // an unknown section or a repeated one
};

struct Walk {
  std::string* report;  // the file's lines, printed once its verdict is known
  const char* fileName;
  size_t lineNumber;
  size_t problems;
  Place place;
  const char* section;  // known name while place is Known
  // Line of the first header of each known section, of the first line of
  // each key in its section; 0 when not seen yet.
  std::vector<size_t> sectionLine;
  std::vector<size_t> keyLine;
  // In a profile section: "Profile.NAME", the line of the first line of each
  // key (the fields, then Programs and Types), and the profile's record as
  // far as read, which tells what the wedge holds for each key.
  std::string profile;
  std::vector<size_t> profileKeyLine;
  std::unique_ptr<Settings> profileRecord;
  const ProfileReading* profiles;
  size_t nextFinding;
  // [KeyMap]: its first header's line, and the first line of each byte.
  size_t keyMapLine = 0;
  std::vector<size_t> keyMapKeyLine = std::vector<size_t>(kKeyMapSlots, 0);
};

void Report(Walk* walk, const std::string& subject, const std::string& problem) {
  ++walk->problems;
  // Numbers through to_string: the Windows C library lacks %zu.
  *walk->report += std::string(walk->fileName) + ":" + std::to_string(walk->lineNumber) + ": ";
  if (!subject.empty()) *walk->report += subject + ": ";
  *walk->report += problem + "\n";
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

// A profile's header: its keys are checked unless the wedge never reads them
// (the reason is among the profiles' findings).
bool OnProfileHeader(Walk* walk, const Settings& record, const IniLine& line) {
  const char16_t* name;
  size_t length;
  if (!ProfileHeaderName(line, &name, &length)) return false;
  const ProfileReading& profiles = *walk->profiles;
  if (profiles.unreadHeaders.count(walk->lineNumber) != 0 ||
      (profiles.stopLine != 0 && walk->lineNumber >= profiles.stopLine)) {
    walk->place = Place::Ignored;
    return true;
  }
  walk->place = Place::Profile;
  walk->profile = "Profile." + Utf8(name, length);
  walk->profileKeyLine.assign(kSettingsFieldCount + 2 + kKeyMapSlots, 0);
  walk->profileRecord.reset(new Settings(record, Settings::CopyValues()));
  return true;
}

void OnHeader(Walk* walk, const Settings& record, const IniLine& line) {
  if (OnProfileHeader(walk, record, line)) return;
  const std::string header = Utf8(line.start, line.length);
  if (IniLineIsSection(line, u"KeyMap")) {
    if (walk->keyMapLine != 0) {
      Report(walk, header,
             "second section of this name, ignored (the first is at line " +
                 std::to_string(walk->keyMapLine) + ")");
      walk->place = Place::Ignored;
      return;
    }
    walk->keyMapLine = walk->lineNumber;
    walk->place = Place::KeyMap;
    return;
  }
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

// A line of the key map, in [KeyMap] (`byteName` "1D") or a profile
// ("KeyMap.1D"): a byte of the map, not repeated, a value the map takes.
// `seen` holds the first line of each byte. False when `byteName` is not a
// byte of the map (the caller reports it).
bool OnKeyMapKey(Walk* walk, const std::string& subject, const std::string& byteName,
                 const char16_t* value, size_t valueLength, size_t* seen) {
  const std::u16string wide = Utf16(byteName.c_str());
  unsigned char byte;
  if (!ParseKeyMapName(wide.c_str(), wide.size(), &byte)) return false;
  size_t& first = seen[KeyMapSlot(byte)];
  if (first != 0) {
    Report(walk, subject,
           "repeated key, ignored (the first is at line " + std::to_string(first) + ")");
    return true;
  }
  first = walk->lineNumber;
  KeyAction action;
  const char* why = "";
  if (valueLength != 0 && !ParseKeyAction(value, valueLength, &action, &why)) {
    Report(walk, subject,
           "\"" + Utf8(value, valueLength) + "\" " + why + ", the byte is typed as without a map");
  }
  return true;
}

// The field of any section with this key name, or null.
const FieldInfo* FieldNamed(const std::string& key) {
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    if (NameDistance(key, kSettingsFields[i].keyName) == 0) return &kSettingsFields[i];
  }
  return nullptr;
}

// A key line of a profile: known to profiles, not repeated, and a value the
// wedge reads as written. Programs and Types are judged by the profiles'
// own reading.
void OnProfileKey(Walk* walk, const std::string& keyName, const char16_t* value,
                  size_t valueLength) {
  const FieldInfo* info = FieldNamed(keyName);
  size_t slot;
  std::string name;
  if (keyName.size() > 7 && NameDistance(keyName.substr(0, 7), "KeyMap.") == 0) {
    const std::string subject = walk->profile + "." + keyName;
    size_t* seen = &walk->profileKeyLine[kSettingsFieldCount + 2];
    if (!OnKeyMapKey(walk, subject, keyName.substr(7), value, valueLength, seen)) {
      Report(walk, subject, "not a byte of the key map (00 to 1F, or 7F), ignored");
    }
    return;
  }
  if (NameDistance(keyName, "Programs") == 0) {
    slot = kSettingsFieldCount, name = "Programs";
  } else if (NameDistance(keyName, "Types") == 0) {
    slot = kSettingsFieldCount + 1, name = "Types";
  } else if (info != nullptr && IsProfileField(*info)) {
    slot = size_t(info - kSettingsFields), name = info->keyName;
  } else {
    const std::string subject = walk->profile + "." + (info ? info->keyName : keyName);
    if (info == nullptr) {
      Report(walk, subject, WithHint("unknown key, ignored", ProfileKeyHint(keyName)));
    } else if (info->group == FieldGroup::Filter) {
      Report(walk, subject,
             "FNC1 is replaced before the program in front is known: a profile cannot set it, "
             "ignored");
    } else {
      Report(walk, subject,
             "not a key of profiles, ignored (they take the [Filter] keys, KeyboardLayout, "
             "KeyDelay, KeepClipboard, CodeIdPrefix, KeyTokens, FocusGuard and KeyMap.XX)");
    }
    return;
  }
  const std::string subject = walk->profile + "." + name;
  size_t& seen = walk->profileKeyLine[slot];
  if (seen != 0) {
    Report(walk, subject,
           "repeated key, ignored (the first is at line " + std::to_string(seen) + ")");
    return;
  }
  seen = walk->lineNumber;
  if (info == nullptr || slot >= kSettingsFieldCount) return;
  walk->profileRecord->SetFromIni(*info, value, valueLength);
  std::string problem;
  if (!CheckFieldValue(*walk->profileRecord, *info, value, valueLength, &problem)) {
    Report(walk, subject, problem);
  }
}

void OnKey(Walk* walk, const Settings& record, const char16_t* key, size_t keyLength,
           const char16_t* value, size_t valueLength) {
  const std::string keyName = Utf8(key, keyLength);
  if (walk->place == Place::Profile) {
    OnProfileKey(walk, keyName, value, valueLength);
    return;
  }
  if (walk->place == Place::BeforeSections) {
    Report(walk, keyName, "key outside any section, ignored");
    return;
  }
  if (walk->place == Place::Ignored) return;
  if (walk->place == Place::KeyMap) {
    const std::string subject = "KeyMap." + keyName;
    if (!OnKeyMapKey(walk, subject, keyName, value, valueLength, walk->keyMapKeyLine.data())) {
      Report(walk, subject, "not a byte of the key map (00 to 1F, or 7F), ignored");
    }
    return;
  }

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
  if (walk.place == Place::Profile) return walk.profile + "." + keyName;
  if (walk.place == Place::KeyMap) return "KeyMap." + keyName;
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
    OnHeader(walk, record, line);
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

// The profiles' findings at the walk's line, after the line's own problems.
void ReportFindings(Walk* walk, const IniLine& line) {
  const std::vector<ProfileFinding>& findings = walk->profiles->findings;
  while (walk->nextFinding < findings.size() &&
         findings[walk->nextFinding].line <= walk->lineNumber) {
    const ProfileFinding& finding = findings[walk->nextFinding++];
    Report(walk, finding.subject.empty() ? Utf8(line.start, line.length) : finding.subject,
           finding.problem);
  }
}

// A warning names the line of the latest of its keys that the file sets, the
// one that completed the combination; a warning about defaults has no line.
void ReportWarning(const Walk& walk, const SettingWarning& warning, std::string* report) {
  size_t line = 0;
  for (const FieldInfo* info : warning.keys) {
    const size_t seen = walk.keyLine[size_t(info - kSettingsFields)];
    if (seen > line) line = seen;
  }
  *report += walk.fileName;
  if (line != 0) *report += ":" + std::to_string(line);
  const FieldInfo& subject = *warning.keys[0];
  *report += std::string(": warning: ") + subject.sectionName + "." + subject.keyName + ": " +
             warning.text + "\n";
}

struct FileVerdict {
  bool readable;
  size_t problems;
  size_t warnings;
  std::string report;
};

FileVerdict CheckFile(const Io& io, const char* name, bool withWarnings) {
  FileVerdict verdict{false, 0, 0, std::string()};
  char16_t path[kPathUnits];
  if (!ResolveIniPath(io, name, true, path)) return verdict;

  // The record tells what the wedge will hold for each key, so the messages
  // never guess at the library's arithmetic.
  Settings record(kScannerLaser, path, u"");
  const ProfileReading profileReading = ReadProfiles(record, path);
  IniFile file;
  if (!IniOpen(&file, path)) {
    IniClose(&file);
    Fail(io, "cannot read %s", name);
    return verdict;
  }
  verdict.readable = true;
  Walk walk{&verdict.report,
            name,
            0,
            0,
            Place::BeforeSections,
            nullptr,
            std::vector<size_t>(kSettingsFieldCount, 0),
            std::vector<size_t>(kSettingsFieldCount, 0),
            std::string(),
            std::vector<size_t>(),
            nullptr,
            &profileReading,
            0};
  for (;;) {
    const size_t start = file.position;
    if (!IniNextLine(&file)) break;
    ++walk.lineNumber;
    OnLine(&walk, record, file.line, RawLineLength(file, start));
    ReportFindings(&walk, file.line);
  }
  IniClose(&file);
  verdict.problems = walk.problems;
  if (withWarnings) {
    const std::vector<SettingWarning> warnings = SurprisingSettings(record);
    for (const SettingWarning& warning : warnings) ReportWarning(walk, warning, &verdict.report);
    for (const ProfileFinding& warning : profileReading.warnings) {
      verdict.report += std::string(name) + ":" + std::to_string(warning.line) +
                        ": warning: " + warning.subject + ": " + warning.problem + "\n";
    }
    verdict.warnings = warnings.size() + profileReading.warnings.size();
  }
  return verdict;
}

std::string Counted(size_t n, const char* one, const char* many) {
  return n == 0 ? std::string("no ") + many : std::to_string(n) + " " + (n == 1 ? one : many);
}

// The line above a file's own lines when several files are checked.
std::string VerdictLine(const char* name, const FileVerdict& verdict, bool withWarnings) {
  if (!verdict.readable) return std::string(name) + ": cannot read";
  std::string line = std::string(name) + ": " + Counted(verdict.problems, "problem", "problems");
  if (withWarnings) line += ", " + Counted(verdict.warnings, "warning", "warnings");
  return line;
}

}  // namespace

int RunCheck(const Io& io, int argc, char** argv) {
  bool withWarnings = false;
  int first = 0;
  for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
    if (std::strcmp(argv[first], "--") == 0) {
      ++first;
      break;
    }
    if (std::strcmp(argv[first], "--warnings") != 0) {
      return Fail(io, "unknown option %s (check takes --warnings)", argv[first]);
    }
    withWarnings = true;
  }
  const int files = argc - first;
  if (files < 1) return Fail(io, "check takes INI files (sarnuconf check [--warnings] INI...)");

  // One file prints its lines alone, as scripts of a single site expect;
  // several get a verdict line each and a summary at the end.
  size_t withProblems = 0, warnedOnly = 0, clean = 0, unreadable = 0;
  for (int i = first; i < argc; ++i) {
    const FileVerdict verdict = CheckFile(io, argv[i], withWarnings);
    if (files > 1) {
      std::fprintf(io.out, "%s\n", VerdictLine(argv[i], verdict, withWarnings).c_str());
    }
    std::fputs(verdict.report.c_str(), io.out);
    if (!verdict.readable) {
      ++unreadable;
    } else if (verdict.problems != 0) {
      ++withProblems;
    } else if (verdict.warnings != 0) {
      ++warnedOnly;
    } else {
      ++clean;
    }
  }
  if (files > 1) {
    std::string summary = std::to_string(files) +
                          " files checked: " + std::to_string(withProblems) + " with problems, ";
    if (withWarnings) summary += std::to_string(warnedOnly) + " with warnings only, ";
    summary += std::to_string(clean) + " clean, " + std::to_string(unreadable) + " unreadable";
    std::fprintf(io.out, "%s\n", summary.c_str());
  }
  // A file that could not be read was not checked: that outweighs problems.
  if (unreadable != 0) return kExitUsage;
  return withProblems + warnedOnly == 0 ? kExitOk : kExitProblems;
}
