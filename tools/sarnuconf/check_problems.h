// Pieces of "sarnuconf check" that judge one thing at a time: a key's value
// against its field, the nearest known name for a typo, settings that are
// valid but surprising on a terminal, and what becomes of the profiles.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "settings.h"
#include "settings_table.h"

// Judges the value of the key line that the record loaded for `info` (the
// first one in the first section of its name); `value` is the value as the
// INI library reads it (trimmed, quotes removed). Returns false and sets
// *problem to a short description when the wedge will not see what the
// line says, or when the settings program would not allow it.
bool CheckFieldValue(const Settings& record, const FieldInfo& info, const char16_t* value,
                     size_t length, std::string* problem);

// Edit distance of two names, A-Z equal to a-z.
size_t NameDistance(const std::string& a, const std::string& b);

// The known key closest to `key`: a close typo of a key of `section` first
// ("BulkLimt"), then the same key in another section. Returns "" when
// nothing is close; else a hint such as "did you mean BulkLimit?".
std::string KeyHint(const char* section, const std::string& key);

// The key of profiles closest to `key` (Programs, Types, a key a profile
// sets), as a hint such as "did you mean Programs?", or "".
std::string ProfileKeyHint(const std::string& key);

// The known section closest to a header's name, as a hint, or "".
std::string SectionHint(const std::string& name);

// A setting that loads as written and that the settings program accepts, but
// that makes a terminal do what a site rarely means. `keys` are the fields
// that together cause it, the one it is reported under first.
struct SettingWarning {
  std::vector<const FieldInfo*> keys;
  std::string text;
};

// Every such setting of a loaded record, in a fixed order: FNC1 typed as a
// key that applications ignore, a send range whose start never applies, strip
// counts that empty a barcode of typical length, a bulk limit below 2, solid
// counter colours that are hard to read, braces that read as no key token.
std::vector<SettingWarning> SurprisingSettings(const Settings& record);

// The last of those alone, which a profile may give apart from the main
// sections: with KeyTokens, a preamble or postamble holding something in
// braces that is no token ("{F25}", "{DELAY 9000}") and is typed as written.
std::vector<SettingWarning> KeyTokenWarnings(const Settings& record);

// A problem of the profiles, found by their own reading or because a profile
// never takes a barcode, reported at its line. An empty subject names the
// line itself (a section's header).
struct ProfileFinding {
  size_t line;
  std::string subject;
  std::string problem;
};

// The profiles of a file as the wedge reads them, told by their Load itself.
struct ProfileReading {
  std::vector<ProfileFinding> findings;  // in line order
  std::vector<size_t> keptLines;         // the header's line of each profile kept
  std::set<size_t> unreadHeaders;        // sections whose keys the wedge never reads
  size_t stopLine = 0;                   // no profile is read from here on; 0: none
  std::vector<ProfileFinding> warnings;  // for --warnings: profiles by program
};

// Reads the profiles of `path` over the main record `record`, and finds
// besides what their reading tells each profile that an earlier one leaves
// no barcode (every program and type it names, the earlier one names too).
ProfileReading ReadProfiles(const Settings& record, const char16_t* path);
