// The end of a bulk run on Win32: when ForgetBulkRunThread forgets
// the list and when it must keep it, and the laser's read loop, which must
// end when the library keeps saying "pending" but will not hand a read out.
#include "bulk_collection.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "block_queue.h"
#include "bulk_run.h"
#include "counter_window.h"
#include "device_libraries.h"
#include "reader_input.h"
#include "reader_state.h"
#include "settings.h"
#include "terminal_harness.h"

namespace {

class RunEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = new Settings(kScannerLaser, u"", u"");
    // The forget timer runs out at once; a run of 3 is above the
    // immediate limit of 1.
    settings_->SetBulkScannedListClearAfter(0);
    settings_->SetBulkScannedListClearImmediatelyUpto(1);
    g_settings = settings_;
    device_ = new ReaderState();
    device_->BulkActive = 1;
    g_reader = device_;
    ClearBulkRun();
  }
  void TearDown() override {
    ClearBulkRun();
    g_counterWindow = nullptr;
    g_reader = nullptr;
    delete device_;
    g_settings = nullptr;
    delete settings_;
  }
  static void Run(int n) {
    for (int i = 0; i < n; ++i) {
      char text[16];
      const int length = std::snprintf(text, sizeof text, "RUN%05d", i);
      ASSERT_EQ(BulkAdmit(text, uint32_t(length), 1, true, true), kBulkAccepted);
    }
  }

  Settings* settings_ = nullptr;
  ReaderState* device_ = nullptr;
};

TEST_F(RunEndTest, WhoForgetsTheListWhenTheTimerRunsOut) {
  // Stands in for an open counter: it only receives the thread's posts.
  HWND counter =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(counter, nullptr);
  const struct {
    const char* name;
    int counterEnabled, closeMode;
    bool counterOpen, scanning, newScan;
    int run;
    bool cleared;
  } rows[] = {
      {"counter off", 0, 0, false, false, false, 3, true},
      {"counter closes at once", 1, 1, false, false, false, 3, true},
      // The open counter's countdown clears the list when it closes.
      {"countdown of an open counter", 1, 0, true, false, false, 3, false},
      // No counter came up for this short run: nothing else would ever clear.
      {"counter enabled but never shown", 1, 0, false, false, false, 3, true},
      // A press came before the thread listened and a new scan began: same
      // run, and that scan's end owns the forgetting, running or ended.
      {"a new scan runs", 0, 0, false, true, true, 3, false},
      {"a new scan ran and ended", 0, 0, false, false, true, 3, false},
      {"short run, a new scan began", 0, 0, false, true, true, 1, false},
      // The run's own scan, not stopped yet or its stop failed.
      {"the run's scan still marked", 0, 0, false, true, false, 3, true},
      {"short run, its own scan still marked", 0, 0, false, true, false, 1, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ClearBulkRun();
    settings_->SetCounterEnabled(row.counterEnabled);
    settings_->SetCounterCloseMode(row.closeMode);
    g_counterWindow = row.counterOpen ? counter : nullptr;
    device_->Scanning = row.scanning ? 1 : 0;
    Run(row.run);
    const uint32_t atRunEnd = device_->ScanStarts.load();
    if (row.newScan) device_->ScanStarts.fetch_add(1);
    EXPECT_EQ(ForgetBulkRunThread(atRunEnd), 1);
    EXPECT_EQ(BulkCount.load() == 0, row.cleared);
    EXPECT_EQ(ComparisonQueue.IsEmpty() != 0, row.cleared);
  }
  device_->Scanning = 0;
  g_counterWindow = nullptr;
  DestroyWindow(counter);
}

DWORD WINAPI ReadOnce(LPVOID) { return DWORD(ReadLaserBarcodes(*g_reader)); }

// A library that reports a pending read but fails every LZRGets would keep
// the read loop spinning for ever; it must give up and clear the buffer.
TEST(LaserReadLoop, EndsWhenTheLibraryWillNotHandTheReadOut) {
  UnloadDeviceLibraries();
  LoadDeviceLibraries();
  Simterm(L"init --model 10 --reader laser");
  Settings settings(kScannerLaser, u"", u"");
  g_settings = &settings;
  ReaderState device;
  g_reader = &device;
  ASSERT_EQ(g_LZReadLib.LZROpen(0, 0), 0);
  Simterm(L"scan STUCK");
  ASSERT_EQ(g_LZReadLib.LZRStartScanning(0), 0);
  uint32_t status = 0;
  uint8_t pending = 0;
  for (int i = 0; i < 200 && !pending; ++i) {
    Sleep(5);
    g_LZReadLib.LZRGetStatus(&status, &pending);
  }
  ASSERT_NE(pending, 0) << "the simulated laser delivered nothing";
  Simterm(L"fail LZRGets 4");
  HANDLE thread = CreateThread(nullptr, 0, ReadOnce, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0) << "the read loop spins";
  DWORD result = 0;
  GetExitCodeThread(thread, &result);
  EXPECT_EQ(result, 1u);
  CloseHandle(thread);
  Simterm(L"fail --clear");
  g_LZReadLib.LZRStopScanning();
  g_LZReadLib.LZRClose();
  EXPECT_TRUE(OutputQueue.IsEmpty()) << "a failed read reached the output";
  OutputQueue.Clear();
  g_reader = nullptr;
  g_settings = nullptr;
  UnloadDeviceLibraries();
}

}  // namespace
