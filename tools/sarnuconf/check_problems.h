// Pieces of "sarnuconf check" that judge one thing at a time: a key's value
// against its field, the nearest known name for a typo, and settings that are
// valid but surprising on a terminal.
#pragma once

#include <cstddef>
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
// counter colours that are hard to read.
std::vector<SettingWarning> SurprisingSettings(const Settings& record);
