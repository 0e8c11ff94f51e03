// Profiles: the [Profile.NAME] sections read in one pass over SARNU.INI (a
// lookup per key would read the file again for every key of every profile),
// each turned into a full settings record that the filter and the typing
// read as they read the main one, and the per-barcode choice among them,
// which only compares what Load prepared.
#include "profiles.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#include "ini_file.h"
#include "settings.h"
#include "settings_table.h"
#include "wide_text.h"

namespace {

const char16_t kPrefix[] = u"Profile.";
constexpr size_t kPrefixLength = std::size(kPrefix) - 1;

// The longest file name the system allows.
constexpr size_t kFileNameUnits = 259;

// The length of the settings list, as a constant for the array below.
#define SARNU_COUNT_FIELD(group, section, key, kind, def, lo, hi) +1
constexpr size_t kFieldTotal = 0 SARNU_SETTINGS_FIELDS(SARNU_COUNT_FIELD);
#undef SARNU_COUNT_FIELD
// Places of the first line of each key in a section: the fields in list
// order, then these two.
constexpr size_t kProgramsSlot = kFieldTotal;
constexpr size_t kTypesSlot = kFieldTotal + 1;
constexpr size_t kKeyMapSlot = kFieldTotal + 2;  // then one for each byte of the map

// "KeyMap.1D": the map's byte; false for any other key.
bool KeyMapKey(const char16_t* key, size_t length, unsigned char* byte) {
  const size_t prefix = 7;
  return length > prefix && WideEqualNoCaseN(key, u"KeyMap.", prefix) &&
         ParseKeyMapName(key + prefix, length - prefix, byte);
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Letter case of file names, as far as program names go: A-Z and the
// Latin-1 capitals.
char16_t Fold(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  return c;
}

bool SameName(const char16_t* a, size_t aLength, const char16_t* b, size_t bLength) {
  return aLength == bLength && WideEqualNoCaseN(a, b, aLength);
}

bool IsKey(const char16_t* key, size_t length, const char16_t* name) {
  return SameName(key, length, name, WideLength(name));
}

const FieldInfo* ProfileFieldNamed(const char16_t* key, size_t length) {
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    if (IsProfileField(info) && IsKey(key, length, info.key)) return &info;
  }
  return nullptr;
}

// The next entry of a ";" list between *at and end, blanks trimmed; blank
// entries are skipped. False when none is left.
bool NextEntry(const char16_t** at, const char16_t* end, const char16_t** start, size_t* length) {
  while (*at < end) {
    const char16_t* first = *at;
    const char16_t* last = first;
    while (last < end && *last != u';') ++last;
    *at = last < end ? last + 1 : end;
    while (first < last && IsBlank(*first)) ++first;
    while (last > first && IsBlank(last[-1])) --last;
    if (last > first) {
      *start = first;
      *length = size_t(last - first);
      return true;
    }
  }
  return false;
}

// A whole signed decimal number in the 32-bit range.
bool ParseType(const char16_t* text, size_t length, int32_t* type) {
  size_t i = 0;
  bool negative = false;
  if (text[0] == u'+' || text[0] == u'-') negative = text[i++] == u'-';
  if (i == length) return false;
  long long value = 0;
  for (; i < length; ++i) {
    if (text[i] < u'0' || text[i] > u'9') return false;
    value = value * 10 + (text[i] - u'0');
    if (value > 2147483648LL) return false;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return false;
  *type = static_cast<int32_t>(value);
  return true;
}

// Why a Programs entry can never be the file name of a running program, or
// Kept when it can be.
ProfileNote ProgramFault(const char16_t* entry, size_t length) {
  ProfileNote fault = ProfileNote::Kept;
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = entry[i];
    if (c == u'\\' || c == u'/' || c == u':') return ProfileNote::ProgramPath;
    if (c == u'*' || c == u'?') fault = ProfileNote::ProgramWildcard;
    if (fault == ProfileNote::Kept &&
        (c < 0x20 || c == u'<' || c == u'>' || c == u'"' || c == u'|')) {
      fault = ProfileNote::ProgramNotFileName;
    }
  }
  if (fault == ProfileNote::Kept && length > kFileNameUnits) {
    fault = ProfileNote::ProgramNotFileName;
  }
  return fault;
}

void Tell(ProfileNoteFunction note, void* context, ProfileNote what, size_t line,
          const char16_t* name, size_t nameLength, const char16_t* entry = nullptr,
          size_t entryLength = 0, size_t firstLine = 0, size_t index = 0) {
  if (note == nullptr) return;
  const ProfileNoteDetail detail{what,  line,        name,      nameLength,
                                 entry, entryLength, firstLine, index};
  note(context, detail);
}

void FreeProfile(Profile* profile) {
  delete profile->record;
  std::free(profile->name);
  std::free(profile->programs);
  std::free(profile->types);
  std::free(profile->ids);
  *profile = Profile{};
}

}  // namespace

// The profile section being read. Its texts point into the file's text.
struct Profiles::Section {
  const char16_t* name;
  size_t nameLength;
  size_t line;
  Settings* record;  // null when there was no memory for it
  bool setsAKey;
  const char16_t* programs;  // the value; null when missing or empty
  size_t programsLength;
  size_t programsLine;
  const char16_t* types;
  size_t typesLength;
  size_t typesLine;
  bool seen[kKeyMapSlot + kKeyMapSlots];
};

bool ProfileHeaderName(const IniLine& line, const char16_t** name, size_t* length) {
  if (line.length < kPrefixLength + 2 || line.start[0] != u'[' ||
      line.start[line.length - 1] != u']' ||
      !WideEqualNoCaseN(line.start + 1, kPrefix, kPrefixLength)) {
    return false;
  }
  *name = line.start + 1 + kPrefixLength;
  *length = line.length - kPrefixLength - 2;
  return true;
}

bool IsProfileField(const FieldInfo& info) {
  if (info.group == FieldGroup::Filter) {
    return info.offset != offsetof(Settings, ReplaceFNC1Enable) &&
           info.offset != offsetof(Settings, ReplaceFNC1);
  }
  return info.offset == offsetof(Settings, KeyboardLayout) ||
         info.offset == offsetof(Settings, KeyDelay) ||
         info.offset == offsetof(Settings, KeepClipboard) ||
         info.offset == offsetof(Settings, CodeIdPrefix) ||
         info.offset == offsetof(Settings, KeyTokens) ||
         info.offset == offsetof(Settings, FocusGuard);
}

Profiles::Profiles(const Settings& main) : main_(main), profiles_(), count_(0) {}

Profiles::~Profiles() { Clear(); }

void Profiles::Clear() {
  for (size_t i = 0; i < count_; ++i) FreeProfile(&profiles_[i]);
  count_ = 0;
}

bool Profiles::Load(const char16_t* iniPath, ProfileNoteFunction note, void* context) {
  Clear();
  IniFile file;
  if (!IniOpen(&file, iniPath)) {
    IniClose(&file);
    return false;
  }
  // The names met so far, for "only the first section of a name".
  const char16_t* names[kMaxProfiles];
  size_t nameLengths[kMaxProfiles];
  size_t nameLines[kMaxProfiles];
  size_t nameCount = 0;
  bool complete = true;
  Section section{};
  bool inSection = false;
  size_t lineNumber = 0;
  while (IniNextLine(&file)) {
    ++lineNumber;
    const IniLine& line = file.line;
    if (IniLineIsSectionHeader(line)) {
      if (inSection) Finish(&section, note, context, &complete);
      inSection = false;
      const char16_t* name;
      size_t length;
      if (!ProfileHeaderName(line, &name, &length)) continue;
      if (length == 0) {
        Tell(note, context, ProfileNote::NoName, lineNumber, name, length);
        continue;
      }
      size_t first = 0;
      while (first < nameCount && !SameName(names[first], nameLengths[first], name, length)) {
        ++first;
      }
      if (first < nameCount) {
        Tell(note, context, ProfileNote::SecondOfName, lineNumber, name, length, nullptr, 0,
             nameLines[first]);
        continue;
      }
      if (nameCount == kMaxProfiles) {
        Tell(note, context, ProfileNote::BeyondLimit, lineNumber, name, length);
        break;
      }
      names[nameCount] = name;
      nameLengths[nameCount] = length;
      nameLines[nameCount++] = lineNumber;
      section = Section{};
      section.name = name;
      section.nameLength = length;
      section.line = lineNumber;
      section.record = new (std::nothrow) Settings(main_, Settings::CopyValues());
      inSection = true;
      continue;
    }
    const char16_t *key, *value;
    size_t keyLength, valueLength;
    if (!inSection || !IniLineKeyValue(line, &key, &keyLength, &value, &valueLength)) continue;
    const FieldInfo* info = nullptr;
    size_t slot;
    unsigned char mapped = 0;
    if (KeyMapKey(key, keyLength, &mapped)) {
      slot = kKeyMapSlot + size_t(KeyMapSlot(mapped));
    } else if (IsKey(key, keyLength, u"Programs")) {
      slot = kProgramsSlot;
    } else if (IsKey(key, keyLength, u"Types")) {
      slot = kTypesSlot;
    } else if ((info = ProfileFieldNamed(key, keyLength)) != nullptr) {
      slot = size_t(info - kSettingsFields);
    } else {
      continue;
    }
    // The first line of a key decides, even an empty one.
    if (section.seen[slot]) continue;
    section.seen[slot] = true;
    if (valueLength == 0) continue;
    if (slot == kProgramsSlot) {
      section.programs = value;
      section.programsLength = valueLength;
      section.programsLine = lineNumber;
    } else if (slot == kTypesSlot) {
      section.types = value;
      section.typesLength = valueLength;
      section.typesLine = lineNumber;
    } else if (slot >= kKeyMapSlot) {
      section.setsAKey = true;
      if (section.record) section.record->SetKeyMapFromIni(key + 7, 2, value, valueLength);
    } else {
      section.setsAKey = true;
      if (section.record) section.record->SetFromIni(*info, value, valueLength);
    }
  }
  if (inSection) Finish(&section, note, context, &complete);
  IniClose(&file);
  return complete;
}

// Keeps the section as the next profile, or drops it and says why.
void Profiles::Finish(Section* s, ProfileNoteFunction note, void* context, bool* complete) {
  const char16_t* entry;
  size_t length;
  bool typesSound = true;
  size_t typeCount = 0, idCount = 0, typeEntries = 0;
  const char16_t* at = s->types;
  while (at && NextEntry(&at, s->types + s->typesLength, &entry, &length)) {
    int32_t type;
    SymbologyId id;
    ++typeEntries;
    if (ParseType(entry, length, &type)) {
      ++typeCount;
    } else if (ParseSymbologyId(entry, length, &id)) {
      ++idCount;
    } else {
      typesSound = false;
      Tell(note, context, ProfileNote::BadType, s->typesLine, s->name, s->nameLength, entry,
           length);
    }
  }
  size_t programCount = 0, programEntries = 0, programUnits = 0;
  at = s->programs;
  while (at && NextEntry(&at, s->programs + s->programsLength, &entry, &length)) {
    ++programEntries;
    const ProfileNote fault = ProgramFault(entry, length);
    if (fault == ProfileNote::Kept) {
      ++programCount;
      programUnits += 1 + length;
    } else {
      Tell(note, context, fault, s->programsLine, s->name, s->nameLength, entry, length);
    }
  }

  Profile profile{};
  profile.record = s->record;
  ProfileNote verdict = ProfileNote::Kept;
  if (!s->setsAKey && programEntries == 0 && typeEntries == 0) {
    verdict = ProfileNote::NamesNothing;
  } else if (!typesSound) {
    verdict = ProfileNote::BadType;
  } else if (programEntries != 0 && programCount == 0) {
    verdict = ProfileNote::NoProgramLeft;
  } else {
    profile.name = static_cast<char16_t*>(std::malloc((s->nameLength + 1) * sizeof(char16_t)));
    if (programCount != 0) {
      profile.programs = static_cast<char16_t*>(std::malloc(programUnits * sizeof(char16_t)));
    }
    if (typeCount != 0) {
      profile.types = static_cast<int32_t*>(std::malloc(typeCount * sizeof(int32_t)));
    }
    if (idCount != 0) {
      profile.ids = static_cast<SymbologyId*>(std::malloc(idCount * sizeof(SymbologyId)));
    }
    if (!profile.record || !profile.name || (programCount != 0 && !profile.programs) ||
        (typeCount != 0 && !profile.types) || (idCount != 0 && !profile.ids)) {
      verdict = ProfileNote::NoMemory;
      *complete = false;
    }
  }
  if (verdict != ProfileNote::Kept) {
    // A bad Types entry has been told already, at its own line.
    if (verdict != ProfileNote::BadType) {
      Tell(note, context, verdict, s->line, s->name, s->nameLength);
    }
    FreeProfile(&profile);
    return;
  }

  std::memcpy(profile.name, s->name, s->nameLength * sizeof(char16_t));
  profile.name[s->nameLength] = 0;
  char16_t* out = profile.programs;
  at = s->programs;
  while (at && NextEntry(&at, s->programs + s->programsLength, &entry, &length)) {
    if (ProgramFault(entry, length) != ProfileNote::Kept) continue;
    *out++ = static_cast<char16_t>(length);
    for (size_t i = 0; i < length; ++i) *out++ = Fold(entry[i]);
  }
  profile.programCount = programCount;
  at = s->types;
  while (at && NextEntry(&at, s->types + s->typesLength, &entry, &length)) {
    int32_t type;
    if (ParseType(entry, length, &type)) {
      profile.types[profile.typeCount++] = type;
    } else {
      ParseSymbologyId(entry, length, &profile.ids[profile.idCount++]);
    }
  }
  profiles_[count_] = profile;
  Tell(note, context, ProfileNote::Kept, s->line, s->name, s->nameLength, nullptr, 0, 0, count_);
  ++count_;
}

bool Profiles::TakesType(const Profile& profile, int32_t type, bool fnc1First) const {
  if (!profile.types && !profile.ids) return true;
  for (size_t k = 0; k < profile.typeCount; ++k) {
    if (profile.types[k] == type) return true;
  }
  if (!profile.ids) return false;
  const SymbologyId id = SymbologyIdOf(main_.GetScannerType(), type, fnc1First);
  for (size_t k = 0; k < profile.idCount; ++k) {
    if (std::memcmp(profile.ids[k].text, id.text, sizeof id.text) == 0) return true;
  }
  return false;
}

size_t Profiles::Find(const char16_t* program, int32_t type, bool fnc1First) const {
  // A program that cannot be named matches no Programs list, but a profile
  // without one still holds: it is about the barcode, not the program.
  const char16_t* base = program ? program : u"";
  const char16_t* end = base;
  for (; *end; ++end) {
    if (*end == u'\\' || *end == u'/') base = end + 1;
  }
  const size_t length = size_t(end - base);
  for (size_t i = 0; i < count_; ++i) {
    const Profile& profile = profiles_[i];
    if (!TakesType(profile, type, fnc1First)) continue;
    if (!profile.programs) return i;
    if (length == 0) continue;
    const char16_t* name = profile.programs;
    for (size_t k = 0; k < profile.programCount; ++k, name += 1 + name[0]) {
      if (name[0] != length) continue;
      size_t j = 0;
      while (j < length && name[1 + j] == Fold(base[j])) ++j;
      if (j == length) return i;
    }
  }
  return count_;
}

const Settings& Profiles::For(const char16_t* program, int32_t type, bool fnc1First) const {
  const size_t index = Find(program, type, fnc1First);
  return index < count_ ? *profiles_[index].record : main_;
}
