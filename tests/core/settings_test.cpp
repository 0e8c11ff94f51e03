// The settings record against real files: defaults, every key's round trip
// through the section saves, the stores' wrapping and clamping, colour text,
// text forms, page resets, the temporary copy of one settings run, and the
// profiles laid over the record.
#include "settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "file_io.h"
#include "ini_file.h"
#include "profiles.h"
#include "settings_table.h"
#include "test_support.h"

namespace {

const char16_t kTempIni[] = u"\\Temp\\SARNU.INI";

// A field as one number: integers as stored, a colour as 0xRRGGBB; texts
// compare whole.
int FieldNumber(const Settings& s, const FieldInfo& info) {
  if (info.kind == FieldKind::U8) return FieldOf<uint8_t>(s, info);
  if (info.kind == FieldKind::U16) return FieldOf<uint16_t>(s, info);
  if (info.kind == FieldKind::Flag) return FieldOf<int32_t>(s, info);
  const RgbColor& c = FieldOf<RgbColor>(s, info);
  return (c.Red << 16) | (c.Green << 8) | c.Blue;
}

bool SameField(const Settings& a, const Settings& b, const FieldInfo& info) {
  if (info.kind == FieldKind::Text || info.kind == FieldKind::CharSet) {
    size_t size = info.kind == FieldKind::Text ? sizeof(TextSetting) : sizeof(CharSetSetting);
    return std::memcmp(&FieldOf<char>(a, info), &FieldOf<char>(b, info), size) == 0;
  }
  return FieldNumber(a, info) == FieldNumber(b, info);
}

// A value other than the default for every key, through the named setters.
void SetTestValues(Settings& s) {
  int colour = 0;
#define SET_INT(key, def, lo, hi) s.Set##key((hi) != (def) ? (hi) : (lo));
#define SET_Flag SET_INT
#define SET_U8 SET_INT
#define SET_U16 SET_INT
#define SET_Text(key, def, lo, hi) s.Set##key(u"T" #key);
#define SET_CharSet SET_Text
#define SET_Color(key, def, lo, hi) \
  s.Set##key##Red(0x12);            \
  s.Set##key##Green(0xAB);          \
  s.Set##key##Blue(++colour);
#define SET_FIELD(group, section, key, kind, def, lo, hi) SET_##kind(key, def, lo, hi)
  SARNU_SETTINGS_FIELDS(SET_FIELD)
}

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override { ResetTerminalFolders(); }
  // The record keeps the path pointer, so the text must outlive it.
  const std::u16string& Ini() const { return ini_; }
  TempFolder folder_;
  const std::u16string ini_ = folder_.File("SARNU.INI");
};

TEST_F(SettingsTest, MissingEmptyOrBlankFileGivesDefaults) {
  Settings defaults(kScannerNone, nullptr, nullptr);
  EXPECT_EQ(defaults.IniPath[0], 0);
  EXPECT_EQ(defaults.TempCopyActive, 0);
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& info = kSettingsFields[i];
    if (info.kind == FieldKind::Text || info.kind == FieldKind::CharSet) {
      EXPECT_EQ(FieldOf<char16_t>(defaults, info), 0) << info.keyName;
    } else {
      EXPECT_EQ(FieldNumber(defaults, info), info.defaultValue) << info.keyName;
    }
  }
  std::string blankValues;
  const char* lastSection = "";
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    if (std::strcmp(lastSection, kSettingsFields[i].sectionName) != 0) {
      lastSection = kSettingsFields[i].sectionName;
      blankValues += std::string("[") + lastSection + "]\r\n";
    }
    blankValues += std::string(kSettingsFields[i].keyName) + "=\r\n";
  }
  for (const std::string& content : {std::string(), blankValues}) {
    ASSERT_TRUE(WriteBytes(Ini(), content));
    Settings loaded(kScannerLaser, Ini().c_str(), nullptr);
    for (size_t i = 0; i < kSettingsFieldCount; ++i) {
      EXPECT_TRUE(SameField(loaded, defaults, kSettingsFields[i])) << kSettingsFields[i].keyName;
    }
  }
}

TEST_F(SettingsTest, EveryKeyRoundTrips) {
  Settings defaults(kScannerNone, nullptr, nullptr);
  {
    Settings edited(kScannerLaser, Ini().c_str(), nullptr);
    SetTestValues(edited);
    edited.SaveFilter();
    edited.SaveBulkScanning();
    edited.SaveCounter();
    edited.SaveSolidCounter();
    edited.SaveTransparentCounter();
    edited.SaveOtherSettings();
    EXPECT_TRUE(edited.CommitTempCopy());
    Settings reloaded(kScannerLaser, Ini().c_str(), nullptr);
    for (size_t i = 0; i < kSettingsFieldCount; ++i) {
      const FieldInfo& info = kSettingsFields[i];
      EXPECT_FALSE(SameField(edited, defaults, info)) << info.keyName << " was not changed";
      // The keys only the file sets are written by no page's save.
      const Settings& written = info.group == FieldGroup::Extension ? defaults : edited;
      EXPECT_TRUE(SameField(reloaded, written, info)) << info.keyName << " did not round-trip";
    }
  }
  EXPECT_FALSE(FileExists(kTempIni));
}

TEST_F(SettingsTest, StoresTruncateAndClamp) {
  struct LoadCase {
    const char16_t* section;
    const char16_t* key;
    const char* value;
    int expected;
  };
  const LoadCase cases[] = {
      {u"BulkCounterWindow", u"TransparentCounterSize", "0", 1},
      {u"OtherSettings", u"KeyDelay", "80", 50},
      {u"OtherSettings", u"KeyDelay", "261", 5},
      {u"BulkCounterWindow", u"TransparentCounterSize", "11", 10},
      {u"BulkCounterWindow", u"TransparentCounterSize", "200", 10},
      {u"BulkCounterWindow", u"TransparentCounterSize", "256", 1},
      {u"BulkCounterWindow", u"TransparentCounterSize", "261", 5},
      {u"BulkCounterWindow", u"TransparentCounterSize", "-1", 10},
      {u"BulkCounterWindow", u"CounterForegroundColor", "ff8000", 0xFF8000},
      {u"BulkCounterWindow", u"CounterBackgroundColor", "nothex", 0},
      {u"BulkScanning", u"BulkLimit", "70000", 4464},
      {u"BulkScanning", u"BulkLimit", "abc", 0},
      {u"BulkScanning", u"BulkLimit", "", 100},
      {u"BulkScanning", u"BulkSameType", "x", 0},
      {u"Filter", u"ValidateContentMode", "300", 44},
      {u"Filter", u"StripFirst", "-1", 65535},
      {u"OtherSettings", u"ShowSplash", "7", 7},
  };
  for (const LoadCase& c : cases) {
    const FieldInfo* info = FindField(c.section, c.key);
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(WriteBytes(Ini(), "[" + std::string(info->sectionName) + "]\r\n" + info->keyName +
                                      "=" + c.value + "\r\n"));
    Settings s(kScannerLaser, Ini().c_str(), nullptr);
    EXPECT_EQ(FieldNumber(s, *info), c.expected) << info->keyName << "=" << c.value;
  }
  Settings s(kScannerNone, nullptr, nullptr);
  s.SetTransparentCounterSize(300);  // 44 as a byte, then clamped
  EXPECT_EQ(s.TransparentCounterSize, 10);
  s.SetTransparentCounterSize(0);
  EXPECT_EQ(s.TransparentCounterSize, 1);
}

TEST_F(SettingsTest, ColourText) {
  struct ColourCase {
    const char* text;
    uint32_t rgb;  // 0xRRGGBB
  };
  const ColourCase cases[] = {
      {"FF8000", 0xFF8000},
      {"ff8000", 0xFF8000},
      {"00ff00", 0x00FF00},
      {"FFF", 0x000FFF},
      {"12345678", 0x123456},
      {"12zz56", 0x000012},
      {"zz", 0},
      {"", 0},
      {"-1", 0},
  };
  for (const ColourCase& c : cases) {
    RgbColor colour = ParseColorText(U16(c.text).c_str());
    EXPECT_EQ((colour.Red << 16) | (colour.Green << 8) | colour.Blue, c.rgb) << c.text;
  }
  // Written back in upper case.
  ASSERT_TRUE(WriteBytes(Ini(), "[BulkCounterWindow]\r\nCounterForegroundColor=ff8000\r\n"));
  Settings(kScannerLaser, Ini().c_str(), nullptr).SaveSolidCounter();
  EXPECT_NE(ReadBytes(Ini()).find("CounterForegroundColor=FF8000\r\n"), std::string::npos);
}

// The settings program's integer test must agree with the distance that
// sarnuconf reports, at every colour near the limit and in either order.
TEST(ColourDistance, HardToReadAgreesWithTheDistance) {
  const RgbColor grey{100, 100, 100};
  for (int r = 0; r <= 210; r += 3) {
    for (int g = 0; g <= 210; ++g) {
      for (int b : {0, 37, 100, 142, 163, 200, 255}) {
        const RgbColor other{uint8_t(r), uint8_t(g), uint8_t(b)};
        ASSERT_EQ(ColorsHardToRead(grey, other), ColorDistance(grey, other) < kHardToReadColorDistance)
            << r << "," << g << "," << b;
        ASSERT_EQ(ColorsHardToRead(other, grey), ColorsHardToRead(grey, other));
      }
    }
  }
  EXPECT_TRUE(ColorsHardToRead({0, 0, 0}, {0, 60, 79}));   // 99.2
  EXPECT_FALSE(ColorsHardToRead({0, 0, 0}, {0, 60, 80}));  // 100 exactly
  EXPECT_EQ(ColorDistance({0, 0, 0}, {255, 255, 255}), std::sqrt(3.0 * 255 * 255));
}

TEST_F(SettingsTest, TextForms) {
  Settings s(kScannerNone, nullptr, nullptr);
  s.SetPreamble(u"AB\\tC\u00e9");
  EXPECT_EQ(std::u16string(s.Preamble.Wide), u"AB\\tC\u00e9");
  EXPECT_STREQ(s.Preamble.Narrow, "AB\\tC\xE9");
  EXPECT_STREQ(s.Preamble.Decoded, "AB\tC\xE9");
  s.SetStripLeading(u"0\u00e9");
  EXPECT_STREQ(s.StripLeading.Narrow, "0\xE9");

  // The empty text clears every form, not just the first unit.
  s.SetPostamble(std::u16string(300, u'x').c_str());
  EXPECT_EQ(std::u16string(s.Postamble.Wide).size(), 259u);
  EXPECT_EQ(std::strlen(s.Postamble.Narrow), 259u);
  s.SetPostamble(u"");
  const TextSetting empty = {};
  EXPECT_EQ(std::memcmp(&s.Postamble, &empty, sizeof empty), 0);

  // A cut at 259 units drops a surrogate pair whole.
  std::u16string pair = std::u16string(258, u'a') + u"\U0001F600";
  s.SetPreamble(pair.c_str());
  EXPECT_EQ(std::u16string(s.Preamble.Wide), std::u16string(258, u'a'));
}

// Texts the INI reader would trim or unquote are written so that they come
// back as typed; everyday texts are written unchanged.
TEST_F(SettingsTest, TextsWithBlanksAndQuotesRoundTrip) {
  const char16_t* texts[] = {u" ", u" lead", u"trail\t", u"\"quoted\"", u"\"open", u"a \"b\" c"};
  for (const char16_t* text : texts) {
    ASSERT_TRUE(WriteBytes(Ini(), ""));
    {
      Settings s(kScannerLaser, Ini().c_str(), nullptr);
      s.SetPostamble(text);
      s.SetStripTrailing(text);
      s.SaveFilter();
    }
    Settings reloaded(kScannerLaser, Ini().c_str(), nullptr);
    EXPECT_EQ(std::u16string(reloaded.Postamble.Wide), text);
    EXPECT_EQ(std::u16string(reloaded.StripTrailing.Wide), text);
  }
  {
    Settings s(kScannerLaser, Ini().c_str(), nullptr);
    s.SetPreamble(u"a \"b\" c");
    s.SaveFilter();
  }
  EXPECT_NE(ReadBytes(Ini()).find("Preamble=a \"b\" c\r\n"), std::string::npos);
}

// Each page's reset restores its own keys and leaves the other pages alone.
TEST_F(SettingsTest, PageResets) {
  struct ResetCase {
    FieldGroup group;
    int (Settings::*reset)();
  };
  const ResetCase cases[] = {
      {FieldGroup::Filter, &Settings::ResetFilterDefaults},
      {FieldGroup::Bulk, &Settings::ResetBulkDefaults},
      {FieldGroup::Counter, &Settings::ResetCounterDefaults},
      {FieldGroup::SolidCounter, &Settings::ResetSolidCounterDefaults},
      {FieldGroup::TransparentCounter, &Settings::ResetTransparentCounterDefaults},
      {FieldGroup::Other, &Settings::ResetOtherDefaults},
  };
  Settings defaults(kScannerNone, nullptr, nullptr);
  for (const ResetCase& c : cases) {
    Settings s(kScannerNone, nullptr, nullptr);
    SetTestValues(s);
    EXPECT_EQ((s.*c.reset)(), 1);
    for (size_t i = 0; i < kSettingsFieldCount; ++i) {
      const FieldInfo& info = kSettingsFields[i];
      bool reset = info.group == c.group ||
                   (c.group == FieldGroup::Bulk && std::strcmp(info.keyName, "AimerMode") == 0);
      EXPECT_EQ(SameField(s, defaults, info), reset) << info.keyName;
    }
  }

  const std::u16string shortcut = u"\\Windows\\Startup\\SARNU.lnk";
  ASSERT_TRUE(WriteBytes(shortcut, "18#\"\\Windows\\Sarnu.exe\""));
  Settings s(kScannerNone, nullptr, nullptr);
  s.ResetOtherDefaults();
  EXPECT_FALSE(FileExists(shortcut));
}

TEST(SettingsTable, FindFieldIgnoresCase) {
  Settings s(kScannerNone, nullptr, nullptr);
  const FieldInfo* info = FindField(u"bulkscanning", u"BULKLIMIT");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(&FieldOf<uint16_t>(s, *info), &s.BulkLimit);
  EXPECT_EQ(FindField(u"Filter", u"BulkLimit"), nullptr);
  EXPECT_EQ(FindField(u"BulkScanning", u"BulkLimi"), nullptr);
}

TEST_F(SettingsTest, TriggerStartUpGoesToTheImagerFile) {
  const std::u16string readerIni = folder_.File("PIXSet.ini");
  for (int32_t type : {kScannerLaser, kScannerImager}) {
    ASSERT_TRUE(WriteBytes(readerIni, "[System]\r\nTrigger Start Up=0\r\n"));
    Settings s(type, Ini().c_str(), readerIni.c_str());
    s.SetTriggerPowerOn(1);
    s.SaveOtherSettings();
    EXPECT_EQ(IniGetInt(u"System", u"Trigger Start Up", -1, readerIni.c_str()),
              type == kScannerImager ? 1 : 0);
  }
}

// ---- The temporary copy of one settings run.

TEST_F(SettingsTest, SavesOfOneRunGoThroughOneTemporaryCopy) {
  ASSERT_TRUE(WriteBytes(Ini(), "[Extra]\r\nKept=1\r\n"));
  Settings s(kScannerLaser, Ini().c_str(), nullptr);
  s.SetBulkLimit(42);
  s.SaveBulkScanning();
  EXPECT_EQ(s.TempCopyActive, 1);
  EXPECT_EQ(std::u16string(s.IniPath), kTempIni);
  EXPECT_FALSE(s.BeginTempCopy());
  EXPECT_EQ(ReadBytes(Ini()), "[Extra]\r\nKept=1\r\n");  // untouched until commit

  // A second save must not copy the real file over the first save's work.
  ASSERT_TRUE(WriteBytes(Ini(), "[Other]\r\nLate=1\r\n"));
  s.SaveCounter();
  EXPECT_EQ(IniGetInt(u"BulkScanning", u"BulkLimit", 0, kTempIni), 42);
  EXPECT_EQ(IniGetInt(u"Other", u"Late", 0, kTempIni), 0);

  EXPECT_TRUE(s.CommitTempCopy());
  EXPECT_EQ(s.TempCopyActive, 0);
  EXPECT_EQ(std::u16string(s.IniPath), Ini());
  EXPECT_FALSE(FileExists(kTempIni));
  EXPECT_FALSE(FileExists(Ini() + u".new"));
  EXPECT_EQ(IniGetInt(u"Extra", u"Kept", 0, Ini().c_str()), 1);
  EXPECT_EQ(IniGetInt(u"BulkScanning", u"BulkLimit", 0, Ini().c_str()), 42);
  EXPECT_EQ(IniGetInt(u"BulkCounterWindow", u"CounterType", -1, Ini().c_str()), 1);
  EXPECT_FALSE(s.CommitTempCopy());
}

// With no real file the copy starts empty, even when an earlier run left one;
// that one is kept aside until the record's end commits the new copy.
TEST_F(SettingsTest, FirstSaveWithoutRealFileStartsAfresh) {
  ASSERT_TRUE(WriteBytes(kTempIni, "[Filter]\r\nPreambleEnable=1\r\n"));
  {
    Settings s(kScannerLaser, Ini().c_str(), nullptr);
    EXPECT_FALSE(s.BeginTempCopy());
    EXPECT_EQ(s.TempCopyActive, 1);
    EXPECT_EQ(ReadBytes(Settings::KeptCopyPath()), "[Filter]\r\nPreambleEnable=1\r\n");
    s.SaveCounter();
  }
  EXPECT_FALSE(FileExists(Settings::KeptCopyPath()));
  EXPECT_EQ(IniGetInt(u"Filter", u"PreambleEnable", 0, Ini().c_str()), 0);
  EXPECT_EQ(IniGetInt(u"BulkCounterWindow", u"CounterEnabled", 0, Ini().c_str()), 1);
}

// Without a reader there is no real path: the commit fails and keeps the copy.
TEST_F(SettingsTest, CommitWithoutRealPathKeepsTheCopy) {
  Settings s(kScannerNone, nullptr, nullptr);
  s.SaveFilter();
  EXPECT_TRUE(FileExists(kTempIni));
  EXPECT_FALSE(s.CommitTempCopy());
  EXPECT_EQ(s.TempCopyActive, 0);
  EXPECT_TRUE(FileExists(kTempIni));
}

// A run never replaces SARNU.INI with less than it held, and nothing it
// leaves behind blocks the next run: a read-only real file keeps its content
// and the run's copy (writable) waits in \Temp; a read-only copy an earlier
// run left is replaced; a real file that cannot be copied gets no saves.
TEST_F(SettingsTest, ARunThatCannotReplaceTheFileLeavesItWhole) {
  const struct {
    const char* name;
    bool realReadOnly, staleReadOnlyCopy, realIsFolder, withTemp;
    int saved;
    bool committed;
  } cases[] = {{"read-only real file", true, false, false, true, 1, false},
               {"read-only copy of an earlier run", false, true, false, true, 1, true},
               {"real file that cannot be copied", false, false, true, true, 0, false},
               {"terminal without \\Temp", false, false, false, false, 1, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTerminalFolders(c.withTemp);
    ASSERT_TRUE(WriteBytes(Ini(), "[Extra]\r\nKept=1\r\n") && SetReadOnly(Ini(), c.realReadOnly));
    if (c.staleReadOnlyCopy) {
      ASSERT_TRUE(WriteBytes(kTempIni, "[Filter]\r\nPostambleEnable=1\r\n") &&
                  SetReadOnly(kTempIni, true));
    }
    const std::u16string real = c.realIsFolder ? folder_.Path() : Ini();
    Settings s(kScannerLaser, real.c_str(), nullptr);
    s.SetPreambleEnable(1);
    EXPECT_EQ(s.SaveFilter(), c.saved);
    EXPECT_EQ(s.CommitTempCopy(), c.committed);
    EXPECT_EQ(ReadBytes(Ini()).rfind("[Extra]\r\nKept=1\r\n", 0), 0u);
    EXPECT_EQ(IniGetInt(u"Filter", u"PreambleEnable", 0, Ini().c_str()), c.committed ? 1 : 0);
    EXPECT_EQ(IniGetInt(u"Filter", u"PostambleEnable", 0, Ini().c_str()), 0);
    EXPECT_EQ(IniGetInt(u"Filter", u"PreambleEnable", 0, kTempIni), c.saved && !c.committed);
    EXPECT_FALSE(FileExists(Ini() + u".new"));
    EXPECT_TRUE(!FileExists(kTempIni) || FileDelete(kTempIni));
    SetReadOnly(Ini(), false);
  }
}

// A commit that a reset cut short on a flash disk left the old file as
// SARNU.INI.old: start-up takes it back unless SARNU.INI is whole.
TEST_F(SettingsTest, StartUpTakesBackTheOldFileOfAnInterruptedCommit) {
  const std::string old = "[Filter]\r\nPreambleEnable=1\r\n[BulkScanning]\r\nBulkLimit=7\r\n";
  const std::string whole = "[filter]\r\nPreambleEnable=0\r\n[BulkScanning]\r\nBulkLimit=9\r\n";
  const struct {
    const char* name;
    const char* ini;  // null: missing
    bool recovered;
  } cases[] = {{"reset after the old file stepped aside", nullptr, true},
               {"new file cut short", "[Filter]\r\nPreambleEnable=0\r\n[Bulk", true},
               {"new file whole", whole.c_str(), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTerminalFolders();
    ASSERT_TRUE(WriteBytes(Ini() + u".old", old) && (!c.ini || WriteBytes(Ini(), c.ini)));
    EXPECT_EQ(Settings::RecoverInterruptedCommit(Ini().c_str()), c.recovered);
    EXPECT_EQ(ReadBytes(Ini()), c.recovered ? old : std::string(c.ini));
    EXPECT_FALSE(FileExists(Ini() + u".old"));
  }
}

// ---- Profiles.

// Each profile key reads as the main section's key reads the same text;
// every other key, the FNC1 pair and the bulk keys included, is main's.
TEST_F(SettingsTest, ProfileKeysReadAsTheMainSectionRead) {
  for (size_t i = 0; i < kSettingsFieldCount; ++i) {
    const FieldInfo& f = kSettingsFields[i];
    const char* text = f.kind == FieldKind::Text      ? "<\\t\\x41>"
                       : f.kind == FieldKind::CharSet ? "0 "
                       : f.kind == FieldKind::Color   ? "ff8000"
                                                      : "300";
    const std::string line = std::string(f.keyName) + "=" + text + "\r\n";
    ASSERT_TRUE(WriteBytes(Ini(), "[" + std::string(f.sectionName) + "]\r\n" + line));
    const Settings direct(kScannerLaser, Ini().c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(Ini(), "[Filter]\r\nPreambleEnable=1\r\n[Profile.p]\r\nTypes=1\r\n" +
                                      line + line.substr(0, line.find('=') + 1) + "7\r\n"));
    const Settings main(kScannerLaser, Ini().c_str(), nullptr);
    Profiles profiles(main);
    ASSERT_TRUE(profiles.Load(Ini().c_str()));
    ASSERT_EQ(profiles.Count(), 1u);
    for (size_t k = 0; k < kSettingsFieldCount; ++k) {
      const FieldInfo& g = kSettingsFields[k];
      const Settings& expected = k == i && IsProfileField(f) ? direct : main;
      EXPECT_TRUE(SameField(*profiles.At(0).record, expected, g)) << f.keyName << ": " << g.keyName;
    }
  }
  // The first line of a key decides; an empty one replaces nothing.
  ASSERT_TRUE(WriteBytes(Ini(),
                         "[Filter]\r\nPreambleEnable=1\r\n[Profile.p]\r\nKeyDelay=5\r\n"
                         "preambleenable=\r\nPreambleEnable=0\r\n"));
  const Settings main(kScannerLaser, Ini().c_str(), nullptr);
  Profiles profiles(main);
  ASSERT_TRUE(profiles.Load(Ini().c_str()));
  EXPECT_EQ(profiles.At(0).record->PreambleEnable, 1);
}

TEST_F(SettingsTest, ProfilesPickTheFirstThatHolds) {
  ASSERT_TRUE(WriteBytes(Ini(),
                         "[Profile.wms]\r\nPrograms= WMS.exe ; \\apps\\xl.exe\r\nKeyDelay=1\r\n"
                         "[Profile.gs1]\r\nTypes=106;-3\r\nKeyDelay=2\r\n"
                         "[Profile.caf\xC9]\r\nPrograms=caf\xE9.exe;;\r\nTypes=+7\r\n"));
  const Settings main(kScannerImager, Ini().c_str(), nullptr);
  Profiles profiles(main);
  ASSERT_TRUE(profiles.Load(Ini().c_str()));
  const struct {
    const char16_t* program;
    int32_t type;
    const char* profile;  // "" for the main record
  } rows[] = {
      {u"wms.exe", 106, "wms"},
      {u"\\Program Files\\WMS.EXE", 0, "wms"},
      {u"xl.exe", 0, ""},
      {u"notepad.exe", -3, "gs1"},
      {u"notepad.exe", 73, ""},
      {nullptr, 106, "gs1"},  // a program that cannot be named: only profiles without Programs
      {u"", 106, "gs1"},
      {u"\\Windows\\", 73, ""},
      {u"CAF\u00C9.EXE", 7, "caf\xC3\x89"},
      {u"caf\u00E9.exe", 8, ""},
  };
  for (const auto& row : rows) {
    const size_t i = profiles.Find(row.program, row.type);
    const Settings& picked = profiles.For(row.program, row.type);
    EXPECT_EQ(i < profiles.Count() ? std::u16string(profiles.At(i).name) : u"", U16(row.profile))
        << row.type;
    EXPECT_EQ(&picked, i < profiles.Count() ? profiles.At(i).record : &main) << row.type;
  }
}

// Sections that cannot work as written are ignored whole, and a reload
// starts afresh.
TEST_F(SettingsTest, ProfilesThatCannotWorkAreIgnored) {
  std::string many, first64;
  for (int i = 1; i <= 70; ++i) {
    many += "[Profile.p" + std::to_string(i) + "]\r\nTypes=" + std::to_string(i) + "\r\n";
    if (i <= 64) first64 += "p" + std::to_string(i) + ",";
  }
  const struct {
    std::string ini;
    std::string kept;
  } rows[] = {
      {"[Filter]\r\nPreambleEnable=1\r\n", ""},
      {"[Profile.]\r\nTypes=1\r\n[Profile.a]\r\nTypes=1\r\n[profile.A]\r\nTypes=2\r\n", "a,"},
      {"[Profile.a]\r\n[Profile.b]\r\nPrograms=\r\nTypes=;\r\nPreamble=\r\n[Profile.c]\r\nX=1\r\n",
       ""},
      {"[Profile.a]\r\nTypes=1;x\r\n[Profile.b]\r\nTypes=2147483648\r\n[Profile.c]\r\nTypes=-"
       "2147483648\r\n",
       "c,"},
      {"[Profile.a]\r\nPrograms=*.exe;a/b.exe;a|b\r\n[Profile.b]\r\nPrograms=?;b.exe\r\n", "b,"},
      {many, first64},
  };
  const Settings main(kScannerLaser, Ini().c_str(), nullptr);
  Profiles profiles(main);
  for (const auto& row : rows) {
    ASSERT_TRUE(WriteBytes(Ini(), row.ini));
    EXPECT_TRUE(profiles.Load(Ini().c_str()));
    std::u16string kept;
    for (size_t i = 0; i < profiles.Count(); ++i)
      kept += profiles.At(i).name + std::u16string(u",");
    EXPECT_EQ(kept, U16(row.kept.c_str())) << row.ini;
  }
  EXPECT_FALSE(profiles.Load(folder_.File("NONE.INI").c_str()));
  EXPECT_EQ(profiles.Count(), 0u);
}

}  // namespace
