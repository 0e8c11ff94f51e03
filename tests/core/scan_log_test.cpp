// The scan log's lines: fields in order, quoting where CSV needs it, the data
// as UTF-8 or as its hash.
#include "scan_log.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Line(ScanLogRecord r) {
  char out[512];
  const size_t n = FormatScanLogLine(r, out, sizeof out);
  return std::string(out, n);
}

TEST(ScanLog, LinesAsTheSiteReadsThem) {
  ScanLogRecord r = {2026,
                     12,
                     10,
                     8,
                     5,
                     9,
                     42,
                     1,
                     512,
                     "]C1",
                     u"wms.exe",
                     u"",
                     ScanOutcome::Typed,
                     "0104012345000010",
                     16,
                     true};
  EXPECT_EQ(Line(r),
            "2026-12-10 08:05:09.042,laser,512,]C1,wms.exe,,typed,16,0104012345000010\r\n");
  // Commas, quotes and line breaks are quoted; the code page's letters
  // arrive as UTF-8.
  r = {
      2026,       1, 2,   3, 4, 5, 6, 2, 'j', "", u"a,b.exe", u"say \"hi\"", ScanOutcome::Duplicate,
      "x,\"\xE9", 4, true};
  EXPECT_EQ(Line(r),
            "2026-01-02 03:04:05.006,imager,106,,\"a,b.exe\",\"say \"\"hi\"\"\",refused duplicate,"
            "4,\"x,\"\"\xC3\xA9\"\r\n");
  // Without the data: its hash, the same for the same data.
  r.withData = false;
  r.outcome = ScanOutcome::FocusMoved;
  const std::string hashed = Line(r);
  EXPECT_EQ(hashed.substr(0, hashed.find('#')),
            "2026-01-02 03:04:05.006,imager,106,,\"a,b.exe\",\"say \"\"hi\"\"\","
            "stopped by the focus guard,4,");
  EXPECT_EQ(hashed.size() - hashed.find('#'), 1u + 16u + 2u);
  EXPECT_EQ(hashed, Line(r));
  // A line that does not fit is not cut.
  char small[20];
  EXPECT_EQ(FormatScanLogLine(r, small, sizeof small), 0u);
}

}  // namespace
