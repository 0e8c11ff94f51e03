// The settings list as data, for code that walks every key: Load, the saves,
// the resets, sarnuconf. Offsets point into a Settings record.
#pragma once

#include <cstddef>

#include "settings.h"

enum class FieldKind { Flag, U8, U16, Text, CharSet, Color };
enum class FieldGroup { Filter, Bulk, Counter, SolidCounter, TransparentCounter, Other, Extension };

struct FieldInfo {
  FieldGroup group;
  const char16_t* section;
  const char16_t* key;
  const char* sectionName;  // the same names, narrow, for tools
  const char* keyName;
  FieldKind kind;
  int defaultValue;  // colours 0xRRGGBB; texts always ""
  int low;           // see settings_fields.h
  int high;
  size_t offset;  // of the field in Settings
};

extern const FieldInfo kSettingsFields[];
extern const size_t kSettingsFieldCount;

// The field of `info` in `record`, typed as its kind says.
template <typename T>
T& FieldOf(Settings& record, const FieldInfo& info) {
  return *reinterpret_cast<T*>(reinterpret_cast<char*>(&record) + info.offset);
}
template <typename T>
const T& FieldOf(const Settings& record, const FieldInfo& info) {
  return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&record) + info.offset);
}

// One key's low and high, by its name at compile time, for code that knows
// the key it handles: field_range::BulkLimit.high.
struct FieldRange {
  int low;
  int high;
};
namespace field_range {
#define SARNU_FIELD_RANGE(group, section, key, kind, def, lo, hi) \
  constexpr FieldRange key = {lo, hi};
SARNU_SETTINGS_FIELDS(SARNU_FIELD_RANGE)
#undef SARNU_FIELD_RANGE
}  // namespace field_range

// Characters of the range's largest number: how much its box takes.
constexpr int DigitsOf(const FieldRange& range) {
  int digits = 1;
  for (int rest = range.high; rest >= 10; rest /= 10) ++digits;
  return digits;
}

// Looks a key up by section and key name, without regard to letter case;
// null when unknown.
const FieldInfo* FindField(const char16_t* section, const char16_t* key);
