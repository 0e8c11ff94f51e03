// The stand-in imager library resolved by ordinal, as the wedge resolves it: opening, the
// blocking decode with its keep-going function, cancel, and the configuration calls.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "sim_test_support.h"

namespace {

std::atomic<int> g_keep_going_calls{0};
std::atomic<int> g_keep_going{1};

int32_t WINAPI CountingKeepGoing() {
  ++g_keep_going_calls;
  return g_keep_going.load();
}

class ImagerLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    InitTerminal(kSimReaderImager);
    ASSERT_NE(lib_.get(), nullptr);
    open_ = lib_.Ordinal<PixOpenFn>(kPixOrdinalOpen);
    connect_ = lib_.Ordinal<PixConnectFn>(kPixOrdinalConnect);
    decode_ = lib_.Ordinal<PixDecodeFn>(kPixOrdinalDecode);
    cancel_ = lib_.Ordinal<PixCancelDecodeFn>(kPixOrdinalCancelDecode);
    ASSERT_TRUE(open_ && connect_ && decode_ && cancel_);
    g_keep_going_calls = 0;
    g_keep_going = 1;
  }

  // One decode; the result, with text and identifier as narrow ASCII.
  int32_t Decode(int32_t timeout, std::string* text = nullptr, std::string* id = nullptr,
                 PixKeepGoingFn keep_going = CountingKeepGoing) {
    static WCHAR wide[kPixTextBufferUnits];
    WCHAR identifier[kPixSymbologyBufferUnits];
    uint32_t extra1 = 99, extra2 = 99;
    int32_t length = -1;
    int32_t r = decode_(timeout, wide, identifier, &extra1, &extra2, &length, keep_going);
    if (text) text->assign(wide, wide + length);
    if (id) id->assign(identifier, identifier + wcslen(identifier));
    return r;
  }

  SimLibrary lib_{kPixLibraryName};
  PixOpenFn open_ = nullptr;
  PixConnectFn connect_ = nullptr;
  PixDecodeFn decode_ = nullptr;
  PixCancelDecodeFn cancel_ = nullptr;
};

TEST_F(ImagerLibrary, EveryOrdinalResolvesAndNoNameDoes) {
  for (int ordinal : {1, 2, 3, 4, 5, 7, 13, 15, 16, 18, 19, 96, 97, 98, 99, 102, 103}) {
    EXPECT_NE(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(ordinal)), nullptr) << ordinal;
  }
  EXPECT_EQ(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(6)), nullptr);
  EXPECT_EQ(GetProcAddress(lib_.get(), "PixDecode"), nullptr);
  EXPECT_EQ(GetProcAddress(lib_.get(), "SimPixDecode"), nullptr);
}

TEST_F(ImagerLibrary, OpenAndConnectProveAnImagerOnlyWhereOneIsFitted) {
  EXPECT_NE(connect_(), 0) << "connect before open";
  EXPECT_EQ(open_(), 0);
  EXPECT_EQ(connect_(), 0);
  for (int32_t reader : {kSimReaderLaser, kSimReaderNone}) {
    InitTerminal(reader);
    EXPECT_NE(open_(), 0) << reader;
  }
}

TEST_F(ImagerLibrary, DecodeHandsOutQueuedBarcodesInOrder) {
  QueueBarcode("4711", 0, 'j');
  QueueBarcode(
      "]C1"
      "0104012345678901",
      0, 'I');
  std::string text, id;
  ASSERT_EQ(Decode(1000, &text, &id), 0);
  EXPECT_EQ(text, "4711");
  EXPECT_EQ(id, "j");
  ASSERT_EQ(Decode(kPixNoTimeout, &text, &id), 0);
  EXPECT_EQ(text,
            "]C1"
            "0104012345678901");
  EXPECT_EQ(id, "I");
}

TEST_F(ImagerLibrary, DecodeWaitsAskingKeepGoingUntilItSaysStop) {
  std::thread stopper([] {
    Sleep(200);
    g_keep_going = 0;
  });
  const ULONGLONG start = GetTickCount64();
  EXPECT_NE(Decode(kPixNoTimeout), 0);
  const ULONGLONG elapsed = GetTickCount64() - start;
  stopper.join();
  EXPECT_GE(elapsed, 190u);
  EXPECT_LT(elapsed, 2000u) << "did not notice the stop";
  // Asked at least every 10 ms; allow for a slow scheduler by half.
  EXPECT_GE(g_keep_going_calls.load(), static_cast<int>(elapsed / 20));
}

TEST_F(ImagerLibrary, DecodeEndsAtItsTimeout) {
  const ULONGLONG start = GetTickCount64();
  EXPECT_NE(Decode(120, nullptr, nullptr, nullptr), 0);
  const ULONGLONG elapsed = GetTickCount64() - start;
  EXPECT_GE(elapsed, 115u);
  EXPECT_LT(elapsed, 2000u);
}

TEST_F(ImagerLibrary, ABarcodeArrivingWhileWaitingIsDecoded) {
  std::thread scanner([] {
    Sleep(80);
    QueueBarcode("late", 0, 'E');
  });
  std::string text;
  EXPECT_EQ(Decode(kPixNoTimeout, &text), 0);
  scanner.join();
  EXPECT_EQ(text, "late");
}

TEST_F(ImagerLibrary, CancelEndsAWaitingDecodeButNotTheNextOne) {
  int32_t result = 0;
  std::thread decoder([&] { result = Decode(kPixNoTimeout); });
  for (int i = 0; i < 200; ++i) {
    {
      SimLock lock;
      if (lock->imager.decoding > 0) break;
    }
    Sleep(5);
  }
  EXPECT_EQ(cancel_(), 0);
  decoder.join();
  EXPECT_NE(result, 0);

  QueueBarcode("next");
  std::string text;
  EXPECT_EQ(Decode(1000, &text), 0) << "an old cancel stopped a new decode";
  EXPECT_EQ(text, "next");
}

TEST_F(ImagerLibrary, ConfigurationCallsReportTheTerminalsValues) {
  auto load = lib_.Ordinal<PixLoadConfigFileFn>(kPixOrdinalLoadConfigFile);
  auto save = lib_.Ordinal<PixSaveConfigFileFn>(kPixOrdinalSaveConfigFile);
  auto get_mode = lib_.Ordinal<PixGetDecodeModeFn>(kPixOrdinalGetDecodeMode);
  auto set_mode = lib_.Ordinal<PixSetDecodeModeFn>(kPixOrdinalSetDecodeMode);
  auto set_led = lib_.Ordinal<PixSetLEDFn>(kPixOrdinalSetLED);
  auto get_led = lib_.Ordinal<PixGetLEDFn>(kPixOrdinalGetLED);
  ASSERT_TRUE(load && save && get_mode && set_mode && set_led && get_led);
  {
    SimLock lock;
    lock->values.config_load_result = kPixConfigNotLoaded;
  }
  EXPECT_EQ(load(L"\\Windows\\PIXSet.ini"), kPixConfigNotLoaded);
  EXPECT_EQ(save(L"\\Windows\\PIXSet.ini"), 0);
  EXPECT_NE(save(nullptr), 0);

  EXPECT_EQ(set_mode(1, 10, 0), 0);
  uint32_t mode = 0, count = 0;
  uint16_t flags = 9;
  EXPECT_EQ(get_mode(&mode, &count, &flags), 0);
  EXPECT_EQ(mode, 1u);
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(flags, 0);

  EXPECT_EQ(set_led(0), 0);
  uint32_t led = 7;
  EXPECT_EQ(get_led(&led), 0);
  EXPECT_EQ(led, 0u);

  const std::vector<std::string> log = LogTexts();
  const std::vector<std::string> expected = {"PixLoadConfigFile \\Windows\\PIXSet.ini",
                                             "PixSaveConfigFile \\Windows\\PIXSet.ini",
                                             "PixSetDecodeMode 1 10 0", "PixSetLED 0"};
  EXPECT_EQ(log, expected);
}

}  // namespace
