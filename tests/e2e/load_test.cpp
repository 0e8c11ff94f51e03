// A thousand barcodes in one bulk run, ten runs in a row: every barcode
// arrives in the focused window, in order, none twice and none lost, and the
// wedge's memory after the tenth run is what it was after the first. The
// focused window is the key sink: notepad would take two minutes a run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "key_sink.h"
#include "sim_feed.h"
#include "wedge_session.h"

namespace {

const int kBarcodesPerRun = 1000;
const int kRuns = 10;
// Queue blocks, thread stacks and the heap settle after the first run; what
// a leak of even a few bytes per barcode would add over nine runs is far
// above this.
const SIZE_T kAllowedGrowth = 512 * 1024;

std::vector<std::string> RunBarcodes(int run) {
  std::vector<std::string> barcodes;
  char text[16];
  for (int i = 0; i < kBarcodesPerRun; ++i) {
    std::snprintf(text, sizeof text, "R%d-%05d", run, i);
    barcodes.push_back(text);
  }
  return barcodes;
}

std::wstring Expected(const std::vector<std::string>& barcodes) {
  std::wstring text;
  for (const std::string& b : barcodes) text += std::wstring(b.begin(), b.end()) + L"\r";
  return text;
}

// Where the first difference is, for a readable failure.
std::string FirstDifference(const std::wstring& got, const std::wstring& want) {
  size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  const size_t from = i > 20 ? i - 20 : 0;
  return "at " + std::to_string(i) + ": got \"" +
         std::string(got.begin() + long(from), got.begin() + long(std::min(got.size(), i + 20))) +
         "\" want \"" +
         std::string(want.begin() + long(from),
                     want.begin() + long(std::min(want.size(), i + 20))) +
         "\"";
}

TEST(Load, ThousandBarcodeRunsArriveWholeAndMemoryStaysFlat) {
  WedgeSession session;
  std::string why;
  ASSERT_TRUE(session.Start("laser",
                            SessionIni("[BulkScanning]\r\nBulkEnable=1\r\nBulkActivationMode=0\r\n"
                                       "BulkScannedListClearAfter=0\r\n"
                                       "[BulkCounterWindow]\r\nCounterEnabled=0\r\n"),
                            &why))
      << why;
  KeySink sink;
  ASSERT_TRUE(sink.Open()) << "the key sink did not get the focus";
  SIZE_T afterFirst = 0;
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    sink.Clear();
    const std::vector<std::string> barcodes = RunBarcodes(run);
    const std::wstring expected = Expected(barcodes);
    session.Press();
    ASSERT_TRUE(WedgeSession::WaitScanning(true));
    const ULONGLONG start = GetTickCount64();
    ASSERT_EQ(size_t(kBarcodesPerRun), SimFeedAll(barcodes)) << "the reader stopped taking";
    sink.WaitForLength(expected.size(), 10000);
    const ULONGLONG ms = sink.LastCharacterTick() - start;
    const std::wstring typed = sink.Text();
    session.Release();
    ASSERT_EQ(expected.size(), typed.size()) << FirstDifference(typed, expected);
    ASSERT_TRUE(typed == expected) << FirstDifference(typed, expected);
    ASSERT_TRUE(WedgeSession::WaitScanning(false));
    std::printf("run %d: %d barcodes in %llu ms, wedge private bytes %zu\n", run, kBarcodesPerRun,
                ms, size_t(session.PrivateBytes()));
    if (run == 0) afterFirst = session.PrivateBytes();
  }
  const SIZE_T afterLast = session.PrivateBytes();
  ASSERT_NE(0u, afterFirst);
  EXPECT_LE(afterLast, afterFirst + kAllowedGrowth)
      << "grew from " << afterFirst << " to " << afterLast << " bytes";
}

}  // namespace
