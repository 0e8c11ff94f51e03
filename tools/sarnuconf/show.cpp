// "sarnuconf show": the effective settings, loaded by the settings record
// itself, one Section.Key=value line per key in the record's own order, so
// two sites' files can be compared with diff.
#include <cstring>
#include <string>

#include "commands.h"
#include "escaped_text.h"
#include "sarnuconf.h"
#include "settings.h"
#include "settings_table.h"

namespace {

// The decoded buffer is terminated by the record; never read past it anyway.
size_t BoundedLength(const char* text, size_t capacity) {
  const void* end = std::memchr(text, 0, capacity);
  return end ? size_t(static_cast<const char*>(end) - text) : capacity;
}

std::string FieldValueText(const Settings& record, const FieldInfo& info) {
  switch (info.kind) {
    case FieldKind::Flag:
      return std::to_string(FieldOf<int32_t>(record, info));
    case FieldKind::U8:
      return std::to_string(unsigned(FieldOf<uint8_t>(record, info)));
    case FieldKind::U16:
      return std::to_string(unsigned(FieldOf<uint16_t>(record, info)));
    case FieldKind::Text:
      return Utf8(FieldOf<TextSetting>(record, info).Wide);
    case FieldKind::CharSet:
      return Utf8(FieldOf<CharSetSetting>(record, info).Wide);
    case FieldKind::Color: {
      char16_t text[7];
      FormatColorText(FieldOf<RgbColor>(record, info), text);
      return Utf8(text);
    }
  }
  return std::string();
}

}  // namespace

int RunShow(const Io& io, int argc, char** argv) {
  if (argc != 1) return Fail(io, "show takes one INI file (sarnuconf show INI)");
  char16_t path[kPathUnits];
  if (!ResolveIniPath(io, argv[0], true, path)) return kExitUsage;

  Settings record(kScannerLaser, path, u"");
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    std::fprintf(io.out, "%s.%s=%s\n", info.sectionName, info.keyName,
                 FieldValueText(record, info).c_str());
    // What the wedge actually sends for the three texts that take escapes.
    if (info.kind == FieldKind::Text) {
      const TextSetting& text = FieldOf<TextSetting>(record, info);
      std::fprintf(io.out, "%s.%s#decoded=%s\n", info.sectionName, info.keyName,
                   Escaped(text.Decoded, BoundedLength(text.Decoded, sizeof text.Decoded)).c_str());
    }
  }
  return kExitOk;
}
