// The symbology identifier table: what it gives for the readers' codes, and
// that everything it gives is an identifier a Types entry could name.
#include "symbology_ids.h"

#include <gtest/gtest.h>

#include <string>

#include "settings.h"

namespace {

TEST(SymbologyIds, KnownCodes) {
  struct Row {
    int32_t reader;
    int32_t type;
    bool fnc1First;
    const char* id;
  } rows[] = {
      {kScannerLaser, 512, false, "]C1"},  // GS1-128 whether or not FNC1 led
      {kScannerLaser, 3, true, "]C1"},
      {kScannerLaser, 3, false, "]C0"},
      {kScannerLaser, 11, false, ""},
      {kScannerImager, 'I', false, "]C1"},
      {kScannerImager, 'j', true, "]C1"},
      {kScannerImager, 'w', true, "]d2"},
      {kScannerImager, 's', false, "]Q1"},
      {kScannerImager, 'b', true, "]A0"},  // a leading GS in Code 39 is data
      {kScannerNone, 'j', false, ""},
      {kScannerImager, 512, false, ""},
  };
  for (const Row& row : rows) {
    const SymbologyId id = SymbologyIdOf(row.reader, row.type, row.fnc1First);
    EXPECT_STREQ(id.text, row.id) << row.reader << " " << row.type << " " << row.fnc1First;
  }
}

TEST(SymbologyIds, EveryIdentifierCanBeNamedInTypes) {
  for (int32_t reader : {kScannerLaser, kScannerImager}) {
    for (int32_t type = -1; type <= 600; ++type) {
      for (bool fnc1First : {false, true}) {
        const SymbologyId id = SymbologyIdOf(reader, type, fnc1First);
        if (!id.text[0]) continue;
        const std::u16string named(id.text, id.text + 3);
        SymbologyId parsed;
        ASSERT_TRUE(ParseSymbologyId(named.c_str(), 3, &parsed)) << id.text;
        EXPECT_STREQ(parsed.text, id.text);
        // Only GS1-128's own codes are the GS1 form without a leading FNC1.
        if (id.gs1 && !fnc1First) EXPECT_TRUE(type == 512 || type == 'I') << type;
      }
    }
  }
  for (const char16_t* bad : {u"]C", u"]CC", u"C1]", u"]11", u"]C10"}) {
    SymbologyId parsed;
    EXPECT_FALSE(ParseSymbologyId(bad, std::u16string(bad).size(), &parsed));
  }
}

}  // namespace
