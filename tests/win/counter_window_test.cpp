// The bulk counter window on the test thread: when it appears, that it never
// takes the activation, where and how each look shows, and how the countdown
// ends a run or is stopped by a new scan.
#include "counter_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bulk_run.h"
#include "reader_state.h"
#include "settings.h"
#include "terminal_harness.h"
#include "wedge_messages.h"

namespace {

void Pump(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    Pump(10);
  }
  return true;
}

// What the screen shows in `area`, as colours red + green * 256 + blue * 65536,
// row by row.
std::vector<COLORREF> ScreenPixels(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<COLORREF> pixels;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i)
      pixels.push_back(RGB((p[i] >> 16) & 255, (p[i] >> 8) & 255, p[i] & 255));
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

class CounterWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The counter's dialog lives in the wedge's resources.
    resources_ =
        LoadLibraryExW((ProgramFolder() + L"Sarnu.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!resources_) GTEST_SKIP() << "Sarnu.exe, which holds dialog 105, is not built";
    // Wine makes windows only with an X server (the e2e tier's xvfb-run).
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) <= 1)
      GTEST_SKIP() << "no X display for Wine's windows: run under xvfb-run";
    main_ = CreateWindowExW(0, L"STATIC", L"Sarnu", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                            nullptr);
    ASSERT_NE(main_, nullptr);
    SetCounterOwner(resources_, main_);
    settings_ = new Settings(kScannerLaser, u"", u"");
    g_settings = settings_;
    device_ = new ReaderState();
    device_->BulkActive = 1;
    g_reader = device_;
    ClearBulkRun();
  }
  void TearDown() override {
    if (g_counterWindow) DestroyWindow(g_counterWindow);
    Pump(20);
    EXPECT_EQ(g_counterWindow, nullptr);
    ClearBulkRun();
    g_reader = nullptr;
    delete device_;
    g_settings = nullptr;
    delete settings_;
    SetCounterOwner(nullptr, nullptr);
    if (main_) DestroyWindow(main_);
    if (resources_) FreeLibrary(resources_);
  }
  // A run of `n` more different barcodes.
  void Admit(int n) {
    for (int i = 0; i < n; ++i) {
      char text[16];
      const int length = std::snprintf(text, sizeof text, "CODE%04d", next_++);
      ASSERT_EQ(BulkAdmit(text, uint32_t(length), 1, true, true), kBulkAccepted);
    }
  }
  HWND OpenCounter(int runLength) {
    Admit(runLength);
    EXPECT_EQ(UpdateCounterWindow(1), 1);
    Pump(30);
    return g_counterWindow;
  }
  // The transparent counter's window region now; an empty RECT for none.
  RECT RegionBox(HWND window) {
    RECT box = {};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) == ERROR)
      SetRectEmpty(&box);
    else
      GetRgnBox(region, &box);
    DeleteObject(region);
    return box;
  }

  HMODULE resources_ = nullptr;
  HWND main_ = nullptr;
  Settings* settings_ = nullptr;
  ReaderState* device_ = nullptr;
  int next_ = 0;
};

TEST_F(CounterWindowTest, OnlyABulkRunWithTheCounterOnAtItsThresholdShowsIt) {
  settings_->CounterEnabledAfterScans = 2;
  EXPECT_EQ(UpdateCounterWindow(0), 0);  // no window to tell
  device_->BulkActive = 0;
  Admit(3);
  EXPECT_EQ(UpdateCounterWindow(1), 0);
  device_->BulkActive = 1;
  settings_->CounterEnabled = 0;
  EXPECT_EQ(UpdateCounterWindow(1), 0);
  EXPECT_EQ(g_counterWindow, nullptr);

  settings_->CounterEnabled = 1;
  ClearBulkRun();
  Admit(1);
  EXPECT_EQ(UpdateCounterWindow(1), 1);
  EXPECT_EQ(g_counterWindow, nullptr);

  // An application the user types into keeps the activation.
  HWND application = CreateWindowExW(0, L"STATIC", L"application", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(application, nullptr);
  SetForegroundWindow(application);
  Pump(50);
  const HWND foreground = GetForegroundWindow();
  Admit(1);
  EXPECT_EQ(UpdateCounterWindow(1), 1);
  HWND counter = g_counterWindow;
  ASSERT_NE(counter, nullptr);
  Pump(50);
  EXPECT_TRUE(IsWindowVisible(counter));
  const LONG_PTR exStyle = GetWindowLongPtrW(counter, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
  EXPECT_EQ(GetWindow(counter, GW_OWNER), main_);
  EXPECT_EQ(GetForegroundWindow(), foreground);
  EXPECT_NE(GetActiveWindow(), counter);
  EXPECT_NE(GetFocus(), counter);
  // One counter at a time.
  EXPECT_EQ(CreateCounterWindow(), counter);
  DestroyWindow(application);
}

TEST_F(CounterWindowTest, TransparentCounterIsShapedLikeItsDigits) {
  settings_->CounterType = 1;
  settings_->TransparentCounterSize = 10;
  settings_->TransparentCounterColor = RgbColor{255, 0, 0};
  Admit(2);
  HWND counter = CreateCounterWindow();
  ASSERT_NE(counter, nullptr);
  RECT place = {};
  GetWindowRect(counter, &place);
  EXPECT_EQ(place.left, (GetSystemMetrics(SM_CXSCREEN) - 240) / 2);
  EXPECT_EQ(place.top, (GetSystemMetrics(SM_CYSCREEN) - 130) / 2);
  EXPECT_EQ(place.right - place.left, 240);
  EXPECT_EQ(place.bottom - place.top, 130);
  RECT box = RegionBox(counter);
  EXPECT_TRUE(IsRectEmpty(&box)) << "nothing shows before the first count";

  SendMessageW(counter, UM_COUNTER_SET, 7, 0);
  box = RegionBox(counter);
  const RECT seven = {90, 0, 150, 110};
  EXPECT_TRUE(EqualRect(&box, &seven)) << box.left << "," << box.right << "," << box.bottom;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  GetWindowRgn(counter, region);
  Pump(100);
  // In the region and red on the screen, or neither.
  const struct {
    int x, y;
    bool in;
  } points[] = {{95, 15, true}, {95, 25, false}, {145, 105, true}, {120, 50, false}};
  for (const auto& p : points) {
    EXPECT_EQ(bool(PtInRegion(region, p.x, p.y)), p.in) << p.x << "," << p.y;
    const std::vector<COLORREF> pixel = ScreenPixels(
        RECT{place.left + p.x, place.top + p.y, place.left + p.x + 1, place.top + p.y + 1});
    ASSERT_EQ(pixel.size(), 1u);
    EXPECT_EQ(pixel[0] == RGB(255, 0, 0), p.in) << p.x << "," << p.y;
  }

  // 1000 is beyond three digits: the region stays that of the last count.
  SendMessageW(counter, UM_COUNTER_SET, 1000, 0);
  HRGN after = CreateRectRgn(0, 0, 0, 0);
  GetWindowRgn(counter, after);
  EXPECT_TRUE(EqualRgn(region, after));

  // The widest digits with the bar: 16 rectangles handed over intact.
  SendMessageW(counter, UM_COUNTER_SET, 888, 0);
  settings_->BulkScannedListClearAfter = 9;
  Admit(3);
  SendMessageW(counter, UM_COUNTER_SCAN, 1, 0);
  ASSERT_TRUE(PumpUntil([&] { return RegionBox(counter).bottom == 130; }, 3000));
  box = RegionBox(counter);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_GT(box.right, 150);
  DeleteObject(region);
  DeleteObject(after);
}

TEST_F(CounterWindowTest, SolidCounterIsAColouredBoxWithTheNumber) {
  settings_->CounterType = 0;
  settings_->CounterCenter = 0;
  settings_->CounterPosX = 20;
  settings_->CounterPosY = 110;
  settings_->CounterSizeX = 200;
  settings_->CounterSizeY = 100;
  settings_->CounterBackgroundColor = RgbColor{0, 0, 255};
  settings_->CounterForegroundColor = RgbColor{255, 255, 0};
  HWND counter = OpenCounter(8);
  ASSERT_NE(counter, nullptr);
  RECT place = {};
  GetWindowRect(counter, &place);
  const RECT expected = {20, 110, 220, 210};
  EXPECT_TRUE(EqualRect(&place, &expected));
  UpdateWindow(counter);
  Pump(100);
  const std::vector<COLORREF> box = ScreenPixels(expected);
  ASSERT_EQ(box.size(), 200u * 100u);
  EXPECT_EQ(box[0], RGB(0, 0, 255)) << std::hex << box[0];
  EXPECT_EQ(box.back(), RGB(0, 0, 255)) << std::hex << box.back();
  EXPECT_GT(std::count(box.begin(), box.end(), RGB(255, 255, 0)), 1000) << "the number";
}

TEST_F(CounterWindowTest, CountdownClosesTheWindowAndForgetsTheRun) {
  // 20 steps of 50 ms.
  settings_->CounterType = 0;
  settings_->CounterSizeX = 20;
  settings_->CounterSizeY = 30;
  settings_->CounterCloseMode = 0;
  settings_->BulkScannedListClearAfter = 1;
  settings_->BulkScannedListClearImmediatelyUpto = 1;
  ASSERT_NE(OpenCounter(5), nullptr);
  EXPECT_EQ(UpdateCounterWindow(0), 1);  // the run ended, with more than one barcode
  const DWORD start = GetTickCount();
  Pump(300);
  EXPECT_NE(g_counterWindow, nullptr);
  EXPECT_EQ(BulkCount.load(), 5u);
  ASSERT_TRUE(PumpUntil([] { return g_counterWindow == nullptr; }, 5000));
  EXPECT_GE(GetTickCount() - start, 900u);
  EXPECT_EQ(BulkCount.load(), 0u);

  // Closed from outside during the countdown: the run is still forgotten.
  ASSERT_NE(OpenCounter(5), nullptr);
  EXPECT_EQ(UpdateCounterWindow(0), 1);
  Pump(200);
  SendMessageW(g_counterWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_counterWindow, nullptr);
  EXPECT_EQ(BulkCount.load(), 0u);
}

TEST_F(CounterWindowTest, RunEndClosesAtOnceInCloseMode1OrAfterAShortRun) {
  const struct { int closeMode, run; } rows[] = {{1, 5}, {0, 1}};
  settings_->CounterEnabledAfterScans = 1;
  settings_->BulkScannedListClearImmediatelyUpto = 1;
  settings_->BulkScannedListClearAfter = 3;
  for (const auto& row : rows) {
    settings_->CounterCloseMode = uint8_t(row.closeMode);
    ClearBulkRun();
    HWND counter = OpenCounter(row.run);
    ASSERT_NE(counter, nullptr);
    // Scanning stopped: nothing for the window to do yet.
    EXPECT_EQ(UpdateCounterWindow(0), 1);
    Pump(30);
    EXPECT_EQ(g_counterWindow, counter) << "mode " << row.closeMode;
    PostMessageW(counter, UM_COUNTER_SCAN, 1, 0);
    Pump(30);
    EXPECT_EQ(g_counterWindow, nullptr) << "mode " << row.closeMode;
    // Forgetting the list is the clearing thread's business here.
    EXPECT_EQ(BulkCount.load(), uint32_t(row.run));
  }
}

TEST_F(CounterWindowTest, ScanDuringTheCountdownKeepsWindowAndRun) {
  // 24 steps of 41 ms, the bar below the digits.
  settings_->CounterType = 1;
  settings_->TransparentCounterSize = 1;
  settings_->CounterCloseMode = 0;
  settings_->BulkScannedListClearAfter = 1;
  HWND counter = OpenCounter(5);
  ASSERT_NE(counter, nullptr);
  SendMessageW(counter, UM_COUNTER_SET, 5, 0);
  EXPECT_EQ(RegionBox(counter).bottom, 11);
  EXPECT_EQ(UpdateCounterWindow(0), 1);
  ASSERT_TRUE(PumpUntil([&] { return RegionBox(counter).bottom == 31; }, 2000));

  EXPECT_EQ(UpdateCounterWindow(1), 1);
  Pump(30);
  EXPECT_EQ(RegionBox(counter).bottom, 11) << "the bar is gone";
  Pump(1500);
  EXPECT_EQ(g_counterWindow, counter);
  EXPECT_EQ(BulkCount.load(), 5u);
  EXPECT_EQ(RegionBox(counter).bottom, 11);
}

}  // namespace
