// The settings record: construction, Load, the setters, the page resets and
// the section saves. All of them expand the one list of fields, so a key
// added to the list is loaded, stored, reset and saved without more code.
#include "settings.h"

#include <cstddef>
#include <cstring>

#include "file_io.h"
#include "ini_file.h"
#include "settings_table.h"
#include "terminal_settings.h"
#include "text_codec.h"
#include "wide_text.h"

Settings* g_settings = nullptr;

namespace {

const size_t kTextUnits = 260;  // of every text buffer, terminator included
const char16_t kStartupShortcut[] = u"\\Windows\\Startup\\SARNU.lnk";

constexpr bool SameName(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Fields are read without the lock by other threads; stores keep to one
// field under the lock, truncated to its width.
template <typename T>
void Store(Lock& lock, T& field, int value) {
  LockHolder hold(lock);
  field = static_cast<T>(value);
}

// The one size the record enforces itself: the counter digits are drawn
// from a table of ten sizes.
int ClampCounterSize(int value) {
  unsigned size = static_cast<uint8_t>(value);
  if (size < 1) size = 1;
  if (size > 10) size = 10;
  return static_cast<int>(size);
}

// A pause between characters beyond 50 ms would make the wedge a bottleneck
// rather than a courtesy to slow receivers.
int ClampKeyDelay(int value) {
  const unsigned delay = static_cast<uint8_t>(value);
  return static_cast<int>(delay > 50 ? 50 : delay);
}

// At most 259 units; a cut never leaves half of a surrogate pair behind.
void CopyWideText(char16_t (&dst)[kTextUnits], const char16_t* src) {
  size_t copied = WideCopy(dst, kTextUnits, src);
  if (copied == kTextUnits - 1 && src[copied] != 0 && IsHighSurrogate(dst[copied - 1])) {
    dst[copied - 1] = 0;
  }
}

// The narrow copy in the ANSI code page, cut at a character boundary to
// 259 bytes. Returns its length.
size_t ConvertToNarrow(const char16_t* wide, char (&narrow)[kTextUnits]) {
  size_t length = WideToAnsi(wide, WideLength(wide), narrow, kTextUnits - 1);
  narrow[length] = '\0';
  return length;
}

// The buffers are cleared first so that an empty or shorter text leaves no
// bytes of the old one behind.
void StoreText(Lock& lock, TextSetting& setting, const char16_t* text) {
  LockHolder hold(lock);
  std::memset(&setting, 0, sizeof setting);
  CopyWideText(setting.Wide, text);
  size_t length = ConvertToNarrow(setting.Wide, setting.Narrow);
  std::memcpy(setting.Decoded, setting.Narrow, length + 1);
  DecodeEscapes(setting.Decoded);
}

void StoreCharSet(Lock& lock, CharSetSetting& setting, const char16_t* text) {
  LockHolder hold(lock);
  std::memset(&setting, 0, sizeof setting);
  CopyWideText(setting.Wide, text);
  ConvertToNarrow(setting.Wide, setting.Narrow);
}

bool IsIniBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// The INI reader trims a value and drops a leading double quote (and a
// matching closing one). A text that would lose characters that way is
// written between double quotes, which the reader removes again; any other
// text is written unchanged.
bool IniSetText(const char16_t* section, const char16_t* key, const char16_t* text,
                const char16_t* path) {
  size_t length = WideLength(text);
  if (length == 0 || (text[0] != u'"' && !IsIniBlank(text[0]) && !IsIniBlank(text[length - 1]))) {
    return IniSetString(section, key, text, path);
  }
  char16_t quoted[kTextUnits + 2];
  quoted[0] = u'"';
  WideCopy(quoted + 1, kTextUnits, text);
  WideAppend(quoted, kTextUnits + 2, u"\"");
  return IniSetString(section, key, quoted, path);
}

RgbColor ColorFromValue(int value) {
  RgbColor color;
  color.Red = static_cast<uint8_t>(value >> 16);
  color.Green = static_cast<uint8_t>(value >> 8);
  color.Blue = static_cast<uint8_t>(value);
  return color;
}

// Defaults of colours go through their text, the same way as a value read
// from the file.
RgbColor DefaultColor(int value) {
  char16_t text[7];
  FormatColorText(ColorFromValue(value), text);
  return ParseColorText(text);
}

// ---- Load: the file read once, each key stored through its setter.

#define SARNU_LOAD_Int(section, key, def) \
  record.Set##key(IniGetIntIn(file, u"" #section, u"" #key, def));
#define SARNU_LOAD_Flag SARNU_LOAD_Int
#define SARNU_LOAD_U8 SARNU_LOAD_Int
#define SARNU_LOAD_U16 SARNU_LOAD_Int
// One unit more than the record keeps, so that the setter sees a text that
// was cut and can keep surrogate pairs whole.
#define SARNU_LOAD_Text(section, key, def)                                   \
  {                                                                          \
    char16_t text[kTextUnits + 1];                                           \
    IniGetStringIn(file, u"" #section, u"" #key, u"", text, kTextUnits + 1); \
    record.Set##key(text);                                                   \
  }
#define SARNU_LOAD_CharSet SARNU_LOAD_Text
#define SARNU_LOAD_Color(section, key, def)                                      \
  {                                                                              \
    char16_t defaultText[7];                                                     \
    FormatColorText(ColorFromValue(def), defaultText);                           \
    char16_t text[kTextUnits];                                                   \
    IniGetStringIn(file, u"" #section, u"" #key, defaultText, text, kTextUnits); \
    RgbColor color = ParseColorText(text);                                       \
    record.Set##key##Red(color.Red);                                             \
    record.Set##key##Green(color.Green);                                         \
    record.Set##key##Blue(color.Blue);                                           \
  }

void LoadAll(Settings& record) {
  IniFile opened;
  IniFile* const file = &opened;
  IniOpen(file, record.IniPath);
#define SARNU_LOAD_FIELD(group, section, key, kind, def, lo, hi) \
  SARNU_LOAD_##kind(section, key, def)
  SARNU_SETTINGS_FIELDS(SARNU_LOAD_FIELD)
#undef SARNU_LOAD_FIELD
  record.KeyMap = KeyMapSetting{};
  for (int byte = 0; byte < 0x80; ++byte) {
    if (KeyMapSlot(static_cast<unsigned char>(byte)) < 0) continue;
    static const char16_t kHex[] = u"0123456789ABCDEF";
    const char16_t name[3] = {kHex[byte >> 4], kHex[byte & 15], 0};
    char16_t value[kTextUnits + 1];
    const size_t length = IniFindIn(file, u"KeyMap", name, value, kTextUnits + 1);
    record.SetKeyMapFromIni(name, 2, value, length);
  }
  IniClose(file);
}

// ---- One key line's value, stored as Load stores what it reads.

#define SARNU_FROM_INI_Int(key) record.Set##key(IniParseInt(text));
#define SARNU_FROM_INI_Flag SARNU_FROM_INI_Int
#define SARNU_FROM_INI_U8 SARNU_FROM_INI_Int
#define SARNU_FROM_INI_U16 SARNU_FROM_INI_Int
#define SARNU_FROM_INI_Text(key) record.Set##key(text);
#define SARNU_FROM_INI_CharSet SARNU_FROM_INI_Text
#define SARNU_FROM_INI_Color(key)          \
  {                                        \
    RgbColor color = ParseColorText(text); \
    record.Set##key##Red(color.Red);       \
    record.Set##key##Green(color.Green);   \
    record.Set##key##Blue(color.Blue);     \
  }

void StoreFromText(Settings& record, const FieldInfo& info, const char16_t* text) {
#define SARNU_FROM_INI_FIELD(group, section, key, kind, def, lo, hi) \
  if (info.offset == offsetof(Settings, key)) {                      \
    SARNU_FROM_INI_##kind(key) return;                               \
  }
  SARNU_SETTINGS_FIELDS(SARNU_FROM_INI_FIELD)
#undef SARNU_FROM_INI_FIELD
}

// ---- Page resets: the defaults of one group, each through its setter.

#define SARNU_RESET_Int(key, def) record.Set##key(def);
#define SARNU_RESET_Flag SARNU_RESET_Int
#define SARNU_RESET_U8 SARNU_RESET_Int
#define SARNU_RESET_U16 SARNU_RESET_Int
#define SARNU_RESET_Text(key, def) record.Set##key(u"");
#define SARNU_RESET_CharSet SARNU_RESET_Text
#define SARNU_RESET_Color(key, def)      \
  {                                      \
    RgbColor color = DefaultColor(def);  \
    record.Set##key##Red(color.Red);     \
    record.Set##key##Green(color.Green); \
    record.Set##key##Blue(color.Blue);   \
  }

void ResetGroup(Settings& record, FieldGroup which) {
#define SARNU_RESET_FIELD(group, section, key, kind, def, lo, hi) \
  if (FieldGroup::group == which) SARNU_RESET_##kind(key, def)
  SARNU_SETTINGS_FIELDS(SARNU_RESET_FIELD)
#undef SARNU_RESET_FIELD
}

// ---- Section saves: the keys of one group, in list order.

#define SARNU_SAVE_Int(section, key) \
  IniSetInt(u"" #section, u"" #key, static_cast<int>(record.key), record.IniPath);
#define SARNU_SAVE_Flag SARNU_SAVE_Int
#define SARNU_SAVE_U8 SARNU_SAVE_Int
#define SARNU_SAVE_U16 SARNU_SAVE_Int
#define SARNU_SAVE_Text(section, key) \
  IniSetText(u"" #section, u"" #key, record.key.Wide, record.IniPath);
#define SARNU_SAVE_CharSet SARNU_SAVE_Text
#define SARNU_SAVE_Color(section, key)                          \
  {                                                             \
    char16_t text[7];                                           \
    FormatColorText(record.key, text);                          \
    IniSetString(u"" #section, u"" #key, text, record.IniPath); \
  }

// False, with nothing written, when the run has no copy of the real file to
// write to.
bool SaveGroup(Settings& record, FieldGroup which) {
  record.BeginTempCopy();
  if (record.TempCopyUnusable) return false;
#define SARNU_SAVE_FIELD(group, section, key, kind, def, lo, hi) \
  if (FieldGroup::group == which) SARNU_SAVE_##kind(section, key)
  SARNU_SETTINGS_FIELDS(SARNU_SAVE_FIELD)
#undef SARNU_SAVE_FIELD
  return true;
}

}  // namespace

// ---- Setters, one per key (three per colour).

#define SARNU_DEFINE_SETTER_Flag(key) \
  void Settings::Set##key(int value) { Store(lock, key, value); }
#define SARNU_DEFINE_SETTER_U8(key)                           \
  void Settings::Set##key(int value) {                        \
    if constexpr (SameName(#key, "TransparentCounterSize")) { \
      value = ClampCounterSize(value);                        \
    }                                                         \
    if constexpr (SameName(#key, "KeyDelay")) {               \
      value = ClampKeyDelay(value);                           \
    }                                                         \
    Store(lock, key, value);                                  \
  }
#define SARNU_DEFINE_SETTER_U16 SARNU_DEFINE_SETTER_Flag
#define SARNU_DEFINE_SETTER_Text(key) \
  void Settings::Set##key(const char16_t* text) { StoreText(lock, key, text); }
#define SARNU_DEFINE_SETTER_CharSet(key) \
  void Settings::Set##key(const char16_t* text) { StoreCharSet(lock, key, text); }
#define SARNU_DEFINE_SETTER_Color(key)                                         \
  void Settings::Set##key##Red(int value) { Store(lock, key.Red, value); }     \
  void Settings::Set##key##Green(int value) { Store(lock, key.Green, value); } \
  void Settings::Set##key##Blue(int value) { Store(lock, key.Blue, value); }

#define SARNU_DEFINE_SETTER(group, section, key, kind, def, lo, hi) SARNU_DEFINE_SETTER_##kind(key)
SARNU_SETTINGS_FIELDS(SARNU_DEFINE_SETTER)
#undef SARNU_DEFINE_SETTER

// ---- Life of the record.

Settings::Settings(int32_t scannerType, const char16_t* iniPath, const char16_t* readerIniPath)
    : IniPath(iniPath != nullptr ? iniPath : u""),
      ReaderIniPath(readerIniPath != nullptr ? readerIniPath : u""),
      SavedIniPath(u""),
      TempCopyActive(0),
      TempCopyUnusable(0),
      ScannerType(scannerType) {
  // Load sets every field; zeroing first keeps the text buffers' tails clean.
#define SARNU_CLEAR_FIELD(group, section, key, kind, def, lo, hi) std::memset(&key, 0, sizeof key);
  SARNU_SETTINGS_FIELDS(SARNU_CLEAR_FIELD)
#undef SARNU_CLEAR_FIELD
  Load();
}

Settings::Settings(const Settings& base, CopyValues)
    : IniPath(base.IniPath),
      ReaderIniPath(base.ReaderIniPath),
      SavedIniPath(u""),
      TempCopyActive(0),
      TempCopyUnusable(0),
      ScannerType(base.ScannerType) {
#define SARNU_COPY_FIELD(group, section, key, kind, def, lo, hi) key = base.key;
  SARNU_SETTINGS_FIELDS(SARNU_COPY_FIELD)
#undef SARNU_COPY_FIELD
  KeyMap = base.KeyMap;
}

Settings::~Settings() {
  if (TempCopyActive) CommitTempCopy();
}

int Settings::Load() {
  LoadAll(*this);
  return 1;
}

bool Settings::SetKeyMapFromIni(const char16_t* name, size_t nameLength, const char16_t* value,
                                size_t valueLength) {
  unsigned char byte;
  if (!ParseKeyMapName(name, nameLength, &byte)) return false;
  KeyAction& slot = KeyMap.action[KeyMapSlot(byte)];
  if (!ParseKeyAction(value, valueLength, &slot)) slot = KeyAction{};
  return true;
}

void Settings::SetFromIni(const FieldInfo& info, const char16_t* value, size_t length) {
  if (length == 0) return;
  // Cut where Load's buffer for the kind cuts: IniGetInt reads into 256
  // units, a text into one unit more than the record keeps, a colour into
  // 260.
  const bool isText = info.kind == FieldKind::Text || info.kind == FieldKind::CharSet;
  const size_t cut = isText ? kTextUnits : info.kind == FieldKind::Color ? kTextUnits - 1 : 255;
  if (length > cut) length = cut;
  char16_t text[kTextUnits + 1];
  std::memcpy(text, value, length * sizeof(char16_t));
  text[length] = 0;
  StoreFromText(*this, info, text);
}

// ---- Page resets.

int Settings::ResetFilterDefaults() {
  ResetGroup(*this, FieldGroup::Filter);
  return 1;
}

int Settings::ResetBulkDefaults() {
  ResetGroup(*this, FieldGroup::Bulk);
  // Press-and-hold bulk scanning (BulkTriggerMode 0) excludes the aimer mode.
  SetAimerMode(0);
  return 1;
}

int Settings::ResetCounterDefaults() {
  ResetGroup(*this, FieldGroup::Counter);
  return 1;
}

int Settings::ResetSolidCounterDefaults() {
  ResetGroup(*this, FieldGroup::SolidCounter);
  return 1;
}

int Settings::ResetTransparentCounterDefaults() {
  ResetGroup(*this, FieldGroup::TransparentCounter);
  return 1;
}

int Settings::ResetOtherDefaults() {
  ResetGroup(*this, FieldGroup::Other);
  // The wedge no longer starts on reboot by default.
  FileDelete(kStartupShortcut);
  return 1;
}

// ---- Section saves.

int Settings::SaveFilter() { return SaveGroup(*this, FieldGroup::Filter) ? 1 : 0; }

int Settings::SaveBulkScanning() {
  if (!SaveGroup(*this, FieldGroup::Bulk)) return 0;
  SaveFunctionKeyLaunchValues(*this);
  return 1;
}

int Settings::SaveCounter() { return SaveGroup(*this, FieldGroup::Counter) ? 1 : 0; }

int Settings::SaveSolidCounter() { return SaveGroup(*this, FieldGroup::SolidCounter) ? 1 : 0; }

int Settings::SaveTransparentCounter() {
  return SaveGroup(*this, FieldGroup::TransparentCounter) ? 1 : 0;
}

int Settings::SaveOtherSettings() {
  if (!SaveGroup(*this, FieldGroup::Other)) return 0;
  // The imager's own file decides whether its trigger wakes the device; it
  // is written in place, not through the temporary copy.
  if (ScannerType == kScannerImager) {
    IniSetInt(u"System", u"Trigger Start Up", TriggerPowerOn, ReaderIniPath);
  }
  ApplyBootSettings(*this);
  return 1;
}

// ---- Colour text.

RgbColor ParseColorText(const char16_t* text) {
  // Only the first six characters count, as RRGGBB; reading stops at the
  // first character that is not a hexadecimal digit.
  uint32_t value = 0;
  for (int i = 0; text != nullptr && i < 6 && text[i] != 0; ++i) {
    char16_t c = text[i];
    uint32_t digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else {
      break;
    }
    value = value * 16 + digit;
  }
  return ColorFromValue(static_cast<int>(value));
}

void FormatColorText(const RgbColor& color, char16_t out[7]) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  const uint8_t parts[3] = {color.Red, color.Green, color.Blue};
  for (int i = 0; i < 3; ++i) {
    out[2 * i] = kDigits[parts[i] >> 4];
    out[2 * i + 1] = kDigits[parts[i] & 15];
  }
  out[6] = 0;
}

int ColorDistanceSquared(const RgbColor& a, const RgbColor& b) {
  const int red = int(a.Red) - b.Red;
  const int green = int(a.Green) - b.Green;
  const int blue = int(a.Blue) - b.Blue;
  return red * red + green * green + blue * blue;
}

// Whole numbers both sides: the square root of an integer below 100 * 100
// is below 100 and that of 100 * 100 is 100 exactly, so this agrees with
// ColorDistance without floating point, which the older terminals' system
// calls do not pass the way the compiler does.
bool ColorsHardToRead(const RgbColor& a, const RgbColor& b) {
  constexpr int kLimit = int(kHardToReadColorDistance);
  static_assert(kLimit == kHardToReadColorDistance, "the limit is a whole number");
  return ColorDistanceSquared(a, b) < kLimit * kLimit;
}
