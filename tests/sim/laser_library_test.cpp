// The stand-in laser library driven in-process the way the wedge's reader thread drives it:
// start a scan, wait for "LZRScanningEvent", check the event status, read, clear.
#include <gtest/gtest.h>

#include <string>

#include "sim_test_support.h"

namespace {

struct LaserCalls {
  LZROpenFn open;
  LZRStartScanningFn start;
  LZRStopScanningFn stop;
  LZRSetScanningNotificationFn notify;
  LZRGetLastEventStatusFn last_status;
  LZRGetStatusFn status;
  LZRGetsFn gets;
  LZRClearBuffFn clear;
  LZRGetLEDFn get_led;
  LZRGetSuffixCharFn get_suffix;
};

class LaserLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTerminal(kSimReaderLaser);
    ASSERT_NE(lib_.get(), nullptr);
    c_.open = lib_.Named<LZROpenFn>("LZROpen");
    c_.start = lib_.Named<LZRStartScanningFn>("LZRStartScanning");
    c_.stop = lib_.Named<LZRStopScanningFn>("LZRStopScanning");
    c_.notify = lib_.Named<LZRSetScanningNotificationFn>("LZRSetScanningNotification");
    c_.last_status = lib_.Named<LZRGetLastEventStatusFn>("LZRGetLastEventStatus");
    c_.status = lib_.Named<LZRGetStatusFn>("LZRGetStatus");
    c_.gets = lib_.Named<LZRGetsFn>("LZRGets");
    c_.clear = lib_.Named<LZRClearBuffFn>("LZRClearBuff");
    c_.get_led = lib_.Named<LZRGetLEDFn>("LZRGetLED");
    c_.get_suffix = lib_.Named<LZRGetSuffixCharFn>("LZRGetSuffixChar");
    ASSERT_TRUE(c_.open && c_.start && c_.stop && c_.notify && c_.last_status && c_.status &&
                c_.gets && c_.clear && c_.get_led && c_.get_suffix);
    event_ = OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kLzrScanningEventName);
    ASSERT_NE(event_, nullptr) << "the library creates the event when it loads";
    ASSERT_EQ(c_.open(0, 0), 0);
    ASSERT_EQ(c_.notify(2, 0), 0);
  }
  void TearDown() override {
    if (c_.stop) c_.stop();
    if (event_) CloseHandle(event_);
  }

  bool WaitEvent(DWORD ms) { return WaitForSingleObject(event_, ms) == WAIT_OBJECT_0; }

  // What the wedge's reader loop gets for one event: the pending text, or "" when none.
  std::string ReadOne(int32_t* type = nullptr) {
    uint32_t word = 0;
    uint8_t pending = 0;
    EXPECT_EQ(c_.status(&word, &pending), 0);
    if (!pending) return "";
    char text[kLzrTextBufferSize];
    int32_t t = -1;
    uint8_t length = 0;
    EXPECT_EQ(c_.gets(text, &t, &length), 0);
    if (type) *type = t;
    EXPECT_EQ(strlen(text), length);
    return std::string(text, length);
  }

  void SetSuffixCode(uint32_t code) {
    SimLock lock;
    lock->values.suffix_code = code;
  }

  SimLibrary lib_{kLzrLibraryName};
  LaserCalls c_ = {};
  HANDLE event_ = nullptr;
};

TEST_F(LaserLibrary, EachSuffixCodeAppendsItsCharacters) {
  const struct {
    uint32_t code;
    const char* suffix;
  } rows[] = {{0, "\r"}, {1, "\n"}, {2, "\r\n"}, {3, "\t"}, {4, ""}, {200, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.code);
    SetSuffixCode(row.code);
    QueueBarcode("4006381333931", 7);
    ASSERT_EQ(c_.start(1000), 0);
    ASSERT_TRUE(WaitEvent(2000));
    uint32_t event_status = 0;
    ASSERT_EQ(c_.last_status(&event_status), 0);
    EXPECT_EQ(event_status, kLzrEventDataReady);
    int32_t type = 0;
    EXPECT_EQ(ReadOne(&type), std::string("4006381333931") + row.suffix);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(c_.clear(), 0);
  }
}

TEST_F(LaserLibrary, OneReadEndsATimedScan) {
  QueueBarcode("first");
  QueueBarcode("second");
  ASSERT_EQ(c_.start(3000), 0);
  ASSERT_TRUE(WaitEvent(2000));
  EXPECT_EQ(ReadOne(), "first\r");
  uint32_t word = 1;
  uint8_t pending = 1;
  ASSERT_EQ(c_.status(&word, &pending), 0);
  EXPECT_EQ(word, 0u) << "scan still running";
  EXPECT_EQ(pending, 0);
  EXPECT_FALSE(WaitEvent(150)) << "a second read arrived in the same scan";
  EXPECT_EQ(QueuedCount(), 1u);
}

TEST_F(LaserLibrary, TimeoutZeroDeliversEveryBarcodeInTurnUntilStopped) {
  QueueBarcode("A1", 1);
  QueueBarcode(
      "\x1D"
      "0112345",
      512);
  QueueBarcode("C3", 3);
  ASSERT_EQ(c_.start(0), 0);
  const std::string expected[] = {"A1\r",
                                  "\x1D"
                                  "0112345\r",
                                  "C3\r"};
  const int32_t types[] = {1, 512, 3};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(WaitEvent(2000));
    int32_t type = 0;
    EXPECT_EQ(ReadOne(&type), expected[i]);
    EXPECT_EQ(type, types[i]);
    EXPECT_EQ(c_.clear(), 0);
  }
  uint32_t word = 0;
  uint8_t pending = 1;
  ASSERT_EQ(c_.status(&word, &pending), 0);
  EXPECT_NE(word, 0u) << "a time-out 0 scan runs until stopped";

  ASSERT_EQ(c_.stop(), 0);
  QueueBarcode("after stop");
  EXPECT_FALSE(WaitEvent(150));
  EXPECT_EQ(QueuedCount(), 1u);
}

TEST_F(LaserLibrary, NothingQueuedEndsAtTheTimeoutWithAnotherStatus) {
  const ULONGLONG start = GetTickCount64();
  ASSERT_EQ(c_.start(150), 0);
  ASSERT_TRUE(WaitEvent(3000));
  EXPECT_GE(GetTickCount64() - start, 140u);
  uint32_t event_status = kLzrEventDataReady;
  ASSERT_EQ(c_.last_status(&event_status), 0);
  EXPECT_NE(event_status, kLzrEventDataReady);
  EXPECT_EQ(ReadOne(), "");
  const std::vector<std::string> log = LogTexts();
  EXPECT_EQ(log.back(), "LZRScanEnded timeout");
}

// A read must not land between the reader loop's last status query and its LZRClearBuff,
// where the clear would wipe it unseen.
TEST_F(LaserLibrary, NextReadWaitsUntilTheClientIsDoneWithTheLast) {
  QueueBarcode("one");
  QueueBarcode("two");
  ASSERT_EQ(c_.start(0), 0);
  ASSERT_TRUE(WaitEvent(2000));
  EXPECT_FALSE(WaitEvent(100)) << "delivered over an unread barcode";
  EXPECT_EQ(ReadOne(), "one\r");
  EXPECT_FALSE(WaitEvent(50)) << "delivered before the client cleared its buffer";
  ASSERT_EQ(c_.clear(), 0);
  ASSERT_TRUE(WaitEvent(2000));
  EXPECT_EQ(ReadOne(), "two\r");
}

TEST_F(LaserLibrary, ALongBarcodeStillFitsTheReadBufferWithItsSuffix) {
  QueueBarcode(std::string(254, 'x'));  // fitted a one-character suffix when queued
  SetSuffixCode(2);                     // two characters by the time it is read
  ASSERT_EQ(c_.start(1000), 0);
  ASSERT_TRUE(WaitEvent(2000));
  char text[kLzrTextBufferSize + 8];
  memset(text, '#', sizeof text);
  int32_t type = 0;
  uint8_t length = 0;
  ASSERT_EQ(c_.gets(text, &type, &length), 0);
  EXPECT_EQ(length, 255);
  EXPECT_EQ(std::string(text + 253, 2), "\r\n");
  EXPECT_EQ(text[255], 0);
  EXPECT_EQ(text[256], '#') << "wrote past the 256-byte buffer";
}

TEST_F(LaserLibrary, NullOutputsAreRefusedNotWritten) {
  uint8_t pending = 0;
  int32_t type = 0;
  uint8_t length = 0;
  char text[kLzrTextBufferSize];
  EXPECT_NE(c_.status(nullptr, &pending), 0);
  EXPECT_NE(c_.gets(nullptr, &type, &length), 0);
  EXPECT_NE(c_.gets(text, nullptr, &length), 0);
  EXPECT_NE(c_.last_status(nullptr), 0);
  EXPECT_NE(c_.get_led(nullptr), 0);
}

// The reader's configuration file: what a client switched off comes back
// with a load, a saved value stays, and a value set from outside (as a
// set-up tool would) is the configuration too.
TEST_F(LaserLibrary, LoadingTheConfigurationRestoresWhatWasSaved) {
  auto set_led = lib_.Named<LZRSetLEDFn>("LZRSetLED");
  auto load = lib_.Named<LZRLoadConfigFileFn>("LZRLoadConfigFile");
  auto save = lib_.Named<LZRSaveConfigFileFn>("LZRSaveConfigFile");
  ASSERT_TRUE(set_led && load && save);
  uint8_t led = 9;
  ASSERT_EQ(set_led(0), 0);
  ASSERT_EQ(load(), 0);
  ASSERT_EQ(c_.get_led(&led), 0);
  EXPECT_EQ(led, 1) << "the load did not restore the LED value";
  ASSERT_EQ(set_led(0), 0);
  ASSERT_EQ(save(), 0);
  ASSERT_EQ(load(), 0);
  ASSERT_EQ(c_.get_led(&led), 0);
  EXPECT_EQ(led, 0) << "a saved value was lost";
  ASSERT_EQ(RunSimterm("set led 1"), 0);
  ASSERT_EQ(load(), 0);
  ASSERT_EQ(c_.get_led(&led), 0);
  EXPECT_EQ(led, 1) << "a value set from outside did not survive the load";
}

TEST_F(LaserLibrary, ATerminalWithoutALaserFailsEveryCall) {
  for (int32_t reader : {kSimReaderImager, kSimReaderNone}) {
    SCOPED_TRACE(reader);
    InitTerminal(reader);
    uint8_t led = 0;
    EXPECT_NE(c_.open(0, 0), 0);
    EXPECT_NE(c_.get_led(&led), 0);
    EXPECT_NE(c_.start(0), 0);
  }
  ForgetTerminal();
  EXPECT_NE(c_.open(0, 0), 0) << "a terminal never set up has no reader";
}

TEST_F(LaserLibrary, FreeingTheLibraryDuringAScanIsSafe) {
  ASSERT_EQ(c_.start(0), 0);
  Sleep(20);
  HMODULE module = lib_.release();
  FreeLibrary(module);
  // The worker still holds the library; stopping the scan through the state lets it go.
  {
    SimLock lock;
    lock->laser.running = 0;
    ++lock->laser.generation;
  }
  c_ = {};  // the functions may be gone now
  bool unloaded = false;
  for (int i = 0; i < 200 && !unloaded; ++i) {
    Sleep(10);
    unloaded = GetModuleHandleW(kLzrLibraryName) == nullptr;
  }
  EXPECT_TRUE(unloaded) << "the worker kept the library loaded";
}

}  // namespace
