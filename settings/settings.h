// The settings record: SARNU.INI's main sections in memory, one record per
// process (the wedge's profiles hold further records, one per profile).
// Fields bear the names of their INI keys and are read directly, without the
// lock; every store goes through a setter that holds the lock for that one
// field only.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "key_map.h"
#include "lock.h"
#include "settings_fields.h"

enum : int32_t {
  kScannerNone = 0,
  kScannerLaser = 1,
  kScannerImager = 2,
};

// A filter text: what the user typed, its copy in the ANSI code page, and
// that copy with its escape sequences resolved (what the wedge sends).
struct TextSetting {
  char16_t Wide[260];
  char Narrow[260];
  char Decoded[260];
};

// A set of characters to strip: the typed text and its narrow copy.
struct CharSetSetting {
  char16_t Wide[260];
  char Narrow[260];
};

struct RgbColor {
  uint8_t Red;
  uint8_t Green;
  uint8_t Blue;
};

// red + green * 256 + blue * 65536, the display colour.
inline uint32_t ColorValue(const RgbColor& c) {
  return c.Red | (uint32_t(c.Green) << 8) | (uint32_t(c.Blue) << 16);
}

#define SARNU_FIELD_TYPE_Flag int32_t
#define SARNU_FIELD_TYPE_U8 uint8_t
#define SARNU_FIELD_TYPE_U16 uint16_t
#define SARNU_FIELD_TYPE_Text TextSetting
#define SARNU_FIELD_TYPE_CharSet CharSetSetting
#define SARNU_FIELD_TYPE_Color RgbColor

#define SARNU_SETTER_Flag(key) void Set##key(int value);
#define SARNU_SETTER_U8(key) void Set##key(int value);
#define SARNU_SETTER_U16(key) void Set##key(int value);
#define SARNU_SETTER_Text(key) void Set##key(const char16_t* text);
#define SARNU_SETTER_CharSet(key) void Set##key(const char16_t* text);
#define SARNU_SETTER_Color(key)        \
  void Set##key##Red(int value);       \
  void Set##key##Green(int value);     \
  void Set##key##Blue(int value);

struct FieldInfo;

class Settings {
 public:
  // Builds a record for a known reader and known files, and loads it. The
  // path texts are not copied: they must outlive the record. Null paths mean
  // the empty text.
  Settings(int32_t scannerType, const char16_t* iniPath,
           const char16_t* readerIniPath);
  // On the terminal: detects the reader, chooses the files and loads them.
  Settings();
  // A record holding the values, paths and reader of `base`, read from no
  // file: the start of a record that a profile lays its keys over. It has
  // its own lock and no temporary copy. `base` is read without its lock,
  // as every reader of a record does.
  struct CopyValues {};
  Settings(const Settings& base, CopyValues);
  // Commits the temporary copy when one is active.
  ~Settings();
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  Lock lock;

#define SARNU_DECLARE_FIELD(group, section, key, kind, def, lo, hi) \
  SARNU_FIELD_TYPE_##kind key;
  SARNU_SETTINGS_FIELDS(SARNU_DECLARE_FIELD)
#undef SARNU_DECLARE_FIELD

  // The section [KeyMap]; the settings program neither shows nor writes it.
  KeyMapSetting KeyMap;
  // Stores one [KeyMap] line as Load does: a value that is none of the
  // forms leaves the byte typed as without a map. False for a name that is
  // not a byte of the map.
  bool SetKeyMapFromIni(const char16_t* name, size_t nameLength, const char16_t* value,
                        size_t valueLength);

  // Never written to a file.
  const char16_t* IniPath;        // "\Temp\SARNU.INI" while TempCopyActive
  const char16_t* ReaderIniPath;  // the reader's own INI file
  const char16_t* SavedIniPath;   // the real IniPath while TempCopyActive
  int32_t TempCopyActive;
  // Set when the run's copy could not be made although the real file
  // exists: the section saves then write nothing and report failure, and
  // the commit replaces nothing.
  int32_t TempCopyUnusable;
  int32_t ScannerType;

  // Reads every key from IniPath; a missing file or key gives the default, a
  // number that does not parse 0, a colour that does not parse black.
  // Always returns 1.
  int Load();
  int32_t GetScannerType() const { return ScannerType; }

  // Stores the value of one key line as Load stores what it reads: a number
  // read as IniGetInt reads it, a text cut where Load cuts it, a colour as
  // RRGGBB, each through the key's setter (so wrapped, clamped and decoded
  // alike). `value` is the value as the INI library gives it (trimmed,
  // unquoted) and need not be terminated. An empty value stores nothing: it
  // means the key is not given.
  void SetFromIni(const FieldInfo& info, const char16_t* value, size_t length);

#define SARNU_DECLARE_SETTER(group, section, key, kind, def, lo, hi) \
  SARNU_SETTER_##kind(key)
  SARNU_SETTINGS_FIELDS(SARNU_DECLARE_SETTER)
#undef SARNU_DECLARE_SETTER

  // "Set Default Values" of one settings page. All return 1.
  int ResetFilterDefaults();
  int ResetBulkDefaults();  // also clears AimerMode
  int ResetCounterDefaults();
  int ResetSolidCounterDefaults();
  int ResetTransparentCounterDefaults();
  int ResetOtherDefaults();  // also deletes the start-up shortcut

  // Section saves of the settings program. Each starts the temporary copy,
  // then writes its keys to IniPath in list order. Each returns 1, whatever
  // the file operations did, except when no copy of the real file could be
  // made (TempCopyUnusable): then nothing is written and 0 returned.
  int SaveFilter();
  int SaveBulkScanning();  // then the function-key launch values
  int SaveCounter();
  int SaveSolidCounter();
  int SaveTransparentCounter();
  int SaveOtherSettings();  // then "Trigger Start Up" (imager) and the boot keys

  // All saves of one settings run go to "\Temp\SARNU.INI"; the real file is
  // replaced once, at the end. BeginTempCopy: false when already active,
  // else the result of copying the real file (the copy is active either
  // way); it makes \Temp when missing, and a copy an earlier run left there
  // moves to KeptCopyPath. CommitTempCopy: false when not active, when the
  // run saved nothing for want of a copy, or when the real file could not be
  // replaced (the copy is then kept at TempCopyPath); true when the copy
  // took the real file's place, whole (the kept copy is then removed too).
  bool BeginTempCopy();
  bool CommitTempCopy();
  static const char16_t* TempCopyPath();
  static const char16_t* KeptCopyPath();

  // At start-up: a commit that a reset cut short may have left the old file
  // as `iniPath` + ".old". When `iniPath` is missing or lacks one of its
  // sections, the old file takes its place again (true); a whole `iniPath`
  // stays and the old file is deleted (false).
  static bool RecoverInterruptedCommit(const char16_t* iniPath);
};

#undef SARNU_SETTER_Flag
#undef SARNU_SETTER_U8
#undef SARNU_SETTER_U16
#undef SARNU_SETTER_Text
#undef SARNU_SETTER_CharSet
#undef SARNU_SETTER_Color

// The process's record, made by the program's start-up code.
extern Settings* g_settings;

// Resolves escape sequences (\t, \x41, \o101, ...) in place in a narrow text.
// A text longer than 259 bytes is left as it is.
void DecodeEscapes(char* text);

// Colour text as in SARNU.INI: at most the first six characters read as a
// hexadecimal number RRGGBB; text that is not hexadecimal gives black.
RgbColor ParseColorText(const char16_t* text);

// The six upper-case hexadecimal digits written for a colour.
void FormatColorText(const RgbColor& color, char16_t out[7]);

// How far apart two colours are: the Euclidean distance of their red, green
// and blue parts, 0 to about 441.67. The solid counter's digits are hard to
// read on their background below kHardToReadColorDistance.
int ColorDistanceSquared(const RgbColor& a, const RgbColor& b);
inline double ColorDistance(const RgbColor& a, const RgbColor& b) {
  return std::sqrt(double(ColorDistanceSquared(a, b)));
}
constexpr double kHardToReadColorDistance = 100.0;
bool ColorsHardToRead(const RgbColor& a, const RgbColor& b);
