// The key table and the key events of one character: the exact sequence for
// a filtered barcode and its suffix, the US layout's shifted pairs, and the
// bytes that have no key.
#include "key_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "barcode_filter.h"
#include "settings.h"
#include "text_codec.h"

namespace {

// Readable events: "LWin^" (up), "Shift_" (down), "u+00E9_" (unicode).
std::string Describe(const KeyEvent& e) {
  char name[16];
  if (e.unicode != 0) {
    std::snprintf(name, sizeof name, "u+%04X", unsigned(e.unicode));
  } else if (e.virtualKey >= 0x30 && e.virtualKey <= 0x5A) {
    std::snprintf(name, sizeof name, "%c", e.virtualKey);
  } else {
    const char* known = e.virtualKey == kVkLeftWindows ? "LWin"
                        : e.virtualKey == kVkShift     ? "Shift"
                        : e.virtualKey == kVkControl   ? "Ctrl"
                        : e.virtualKey == 0x0D         ? "Enter"
                                                       : nullptr;
    if (known)
      std::snprintf(name, sizeof name, "%s", known);
    else
      std::snprintf(name, sizeof name, "%02X", unsigned(e.virtualKey));
  }
  return std::string(name) + (e.up ? "^" : "_");
}

std::vector<std::string> EventsOf(const char* text) {
  std::vector<std::string> out;
  for (const char* p = text; *p; ++p) {
    KeyEvent events[kMaxKeyEventsPerCharacter];
    const size_t n = KeyEventsForCharacter(static_cast<unsigned char>(*p), events);
    for (size_t i = 0; i < n; ++i) out.push_back(Describe(events[i]));
  }
  return out;
}

TEST(KeyOutput, FilteredBarcodeThenSuffix) {
  Settings s(kScannerLaser, u"", u"");
  char raw[8] = "aB1\r";
  static char output[kFilterBufferSize];
  std::memset(output, 0, sizeof output);
  Barcode barcode = MakeBarcode(kScannerLaser, raw, 4, 0, 0);
  ASSERT_EQ(ApplyFilter(s, &barcode, output), 1);

  std::vector<std::string> typed = EventsOf(output);
  for (const std::string& e : EventsOf(barcode.suffix)) typed.push_back(e);
  const std::vector<std::string> expected = {
      "LWin^", "A_",     "A^",                      // a
      "LWin^", "Shift_", "B_",     "B^", "Shift^",  // B
      "LWin^", "1_",     "1^",                      // 1
      "LWin^", "Enter_", "Enter^",                  // the suffix CR
  };
  EXPECT_EQ(typed, expected);
}

struct KeyRow {
  unsigned char character;
  uint8_t virtualKey;
  bool shift;
};

// Spot checks across the table's groups: controls as themselves, digits,
// both cases, and the punctuation keys of the US layout.
const KeyRow kKeyRows[] = {
    {0x01, 0x01, false}, {0x08, 0x08, false}, {'\t', 0x09, false}, {'\r', 0x0D, false},
    {0x1B, 0x1B, false}, {0x1D, 0x1D, false}, {' ', 0x20, false},  {0x7F, 0x7F, false},
    {'0', 0x30, false},  {'9', 0x39, false},  {'A', 0x41, true},   {'Z', 0x5A, true},
    {'a', 0x41, false},  {'z', 0x5A, false},  {'!', 0x31, true},   {')', 0x30, true},
    {'^', 0x36, true},   {';', 0xBA, false},  {':', 0xBA, true},   {'+', 0xBB, true},
    {'<', 0xBC, true},   {'_', 0xBD, true},   {'.', 0xBE, false},  {'?', 0xBF, true},
    {'`', 0xC0, false},  {'~', 0xC0, true},   {'{', 0xDB, true},   {'\\', 0xDC, false},
    {'|', 0xDC, true},   {']', 0xDD, false},  {'\'', 0xDE, false}, {'"', 0xDE, true},
};

TEST(KeyTable, SpotChecks) {
  for (const KeyRow& row : kKeyRows) {
    const KeyMapping key = LookupKey(row.character);
    EXPECT_EQ(key.virtualKey, row.virtualKey) << int(row.character);
    EXPECT_EQ(key.shift, row.shift) << int(row.character);
  }
}

TEST(KeyTable, EveryAsciiCharacterHasItsOwnKey) {
  // Two characters typed with the same keys could not be told apart.
  std::set<std::pair<int, bool>> seen;
  for (int c = 1; c < 128; ++c) {
    const KeyMapping key = LookupKey(static_cast<unsigned char>(c));
    ASSERT_NE(key.virtualKey, 0) << c;
    EXPECT_TRUE(seen.insert({key.virtualKey, key.shift}).second) << c;
  }
  EXPECT_EQ(LookupKey(0).virtualKey, 0);
  for (int c = 128; c < 256; ++c) EXPECT_EQ(LookupKey(static_cast<unsigned char>(c)).virtualKey, 0);
}

TEST(KeyEvents, ShiftBracketsTheKeyAndNothingOverflows) {
  for (int c = 1; c < 256; ++c) {
    KeyEvent events[kMaxKeyEventsPerCharacter + 1];
    std::memset(events, 0xEE, sizeof events);
    const size_t n = KeyEventsForCharacter(static_cast<unsigned char>(c), events);
    ASSERT_LE(n, size_t(kMaxKeyEventsPerCharacter)) << c;
    EXPECT_EQ(events[kMaxKeyEventsPerCharacter].virtualKey, 0xEE) << c;
    ASSERT_GE(n, 3u) << c;
    EXPECT_EQ(Describe(events[0]), "LWin^") << c;
    if (LookupKey(static_cast<unsigned char>(c)).shift) {
      ASSERT_EQ(n, 5u) << c;
      EXPECT_EQ(Describe(events[1]), "Shift_") << c;
      EXPECT_EQ(Describe(events[4]), "Shift^") << c;
    }
    // The key itself: down, then up, the same key.
    const KeyEvent& down = events[n == 5 ? 2 : 1];
    const KeyEvent& up = events[n == 5 ? 3 : 2];
    EXPECT_FALSE(down.up);
    EXPECT_TRUE(up.up);
    EXPECT_EQ(down.virtualKey, up.virtualKey);
    EXPECT_EQ(down.unicode, up.unicode);
  }
}

TEST(KeyEvents, ByteZeroTypesNothing) {
  KeyEvent events[kMaxKeyEventsPerCharacter];
  EXPECT_EQ(KeyEventsForCharacter(0, events), 0u);
}

TEST(KeyEvents, HighBytesAreTypedAsTheirCodePageCharacter) {
  for (int c = 128; c < 256; ++c) {
    const char narrow = char(c);
    char16_t expected = 0;
    ASSERT_EQ(AnsiToWide(&narrow, 1, &expected, 1), 1u) << c;
    KeyEvent events[kMaxKeyEventsPerCharacter];
    ASSERT_EQ(KeyEventsForCharacter(static_cast<unsigned char>(c), events), 3u) << c;
    for (int i = 1; i < 3; ++i) {
      EXPECT_EQ(events[i].virtualKey, 0) << c;
      EXPECT_EQ(events[i].unicode, expected) << c;
    }
  }
}

TEST(KeyEvents, PasteIsCtrlV) {
  KeyEvent events[kPasteEventCount];
  PasteKeyEvents(events);
  std::vector<std::string> got;
  for (const KeyEvent& e : events) got.push_back(Describe(e));
  EXPECT_EQ(got, (std::vector<std::string>{"Ctrl_", "V_", "V^", "Ctrl^"}));
}

}  // namespace
