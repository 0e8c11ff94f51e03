// "sarnuconf show": the effective settings, loaded by the settings record
// itself, one Section.Key=value line per key in the record's own order, then
// each profile the wedge keeps as Profile.NAME.Key=value lines, in file
// order. The lines are also what "sarnuconf diff" compares.
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "escaped_text.h"
#include "profiles.h"
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

// The lines of every key of `record`, named Section.Key; with a profile's
// prefix ("Profile.NAME.") only the keys a profile sets, named prefix + key.
void AppendShown(const Settings& record, const std::string* profilePrefix,
                 std::vector<ShownSetting>* shown) {
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    if (profilePrefix != nullptr && !IsProfileField(info)) continue;
    const std::string name =
        (profilePrefix != nullptr ? *profilePrefix : std::string(info.sectionName) + ".") +
        info.keyName;
    shown->push_back({name, FieldValueText(record, info)});
    // What the wedge actually sends for the three texts that take escapes.
    if (info.kind == FieldKind::Text) {
      const TextSetting& text = FieldOf<TextSetting>(record, info);
      shown->push_back({name + "#decoded",
                        Escaped(text.Decoded, BoundedLength(text.Decoded, sizeof text.Decoded))});
    }
  }
}

}  // namespace

std::vector<ShownSetting> ShownSettings(const Settings& record) {
  std::vector<ShownSetting> shown;
  AppendShown(record, nullptr, &shown);
  return shown;
}

std::vector<ShownSetting> ShownProfile(const Profile& profile) {
  const std::string prefix = "Profile." + Utf8(profile.name) + ".";
  std::string programs, types;
  const char16_t* name = profile.programs;
  for (size_t k = 0; k < profile.programCount; ++k, name += 1 + name[0]) {
    programs += (k ? ";" : "") + Utf8(name + 1, name[0]);
  }
  for (size_t k = 0; k < profile.typeCount; ++k) {
    types += (k ? ";" : "") + std::to_string(profile.types[k]);
  }
  std::vector<ShownSetting> shown = {{prefix + "Programs", programs}, {prefix + "Types", types}};
  AppendShown(*profile.record, &prefix, &shown);
  return shown;
}

int RunShow(const Io& io, int argc, char** argv) {
  if (argc != 1) return Fail(io, "show takes one INI file (sarnuconf show INI)");
  char16_t path[kPathUnits];
  if (!ResolveIniPath(io, argv[0], true, path)) return kExitUsage;

  Settings record(kScannerLaser, path, u"");
  Profiles profiles(record);
  profiles.Load(path);
  std::vector<ShownSetting> lines = ShownSettings(record);
  for (size_t i = 0; i < profiles.Count(); ++i) {
    const std::vector<ShownSetting> profile = ShownProfile(profiles.At(i));
    lines.insert(lines.end(), profile.begin(), profile.end());
  }
  for (const ShownSetting& line : lines) {
    std::fprintf(io.out, "%s=%s\n", line.name.c_str(), line.value.c_str());
  }
  return kExitOk;
}
