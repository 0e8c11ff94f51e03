// The settings list as data: one row per key, expanded from the same list
// that declares the record's fields, so tools and tests that walk every key
// see exactly what Load and the saves see.
#include "settings_table.h"

#include <iterator>

#include "wide_text.h"

#define SARNU_FIELD_ROW(group, section, key, kind, def, lo, hi) \
  {FieldGroup::group, u"" #section, u"" #key, #section, #key,   \
   FieldKind::kind,   def,          lo,       hi,       offsetof(Settings, key)},

const FieldInfo kSettingsFields[] = {SARNU_SETTINGS_FIELDS(SARNU_FIELD_ROW)};
#undef SARNU_FIELD_ROW

const size_t kSettingsFieldCount = std::size(kSettingsFields);

namespace {

bool SameNameNoCase(const char16_t* a, const char16_t* b) {
  size_t length = WideLength(a);
  return length == WideLength(b) && WideEqualNoCaseN(a, b, length);
}

}  // namespace

const FieldInfo* FindField(const char16_t* section, const char16_t* key) {
  if (section == nullptr || key == nullptr) return nullptr;
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    if (SameNameNoCase(info.key, key) && SameNameNoCase(info.section, section)) return &info;
  }
  return nullptr;
}
