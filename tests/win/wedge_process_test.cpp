// The wedge process's parts that run without a screen: CE thread priorities,
// the reader object's state events, the DataReader listener turning client
// requests into main-window messages, and the programs' icons.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

#include "device_libraries.h"
#include "interop_events.h"
#include "process_globals.h"
#include "reader_input.h"
#include "scan_device.h"
#include "settings.h"
#include "terminal_harness.h"
#include "thread_priority.h"
#include "wedge_messages.h"

namespace {

TEST(ThreadPriority, CeLevelsMapOntoDesktopLevels) {
  const struct {
    int ce;
    int desktop;
  } rows[] = {
      {-1, THREAD_PRIORITY_TIME_CRITICAL}, {0, THREAD_PRIORITY_TIME_CRITICAL},
      {1, THREAD_PRIORITY_HIGHEST},        {2, THREAD_PRIORITY_ABOVE_NORMAL},
      {3, THREAD_PRIORITY_NORMAL},         {4, THREAD_PRIORITY_BELOW_NORMAL},
      {5, THREAD_PRIORITY_LOWEST},         {6, THREAD_PRIORITY_IDLE},
      {7, THREAD_PRIORITY_IDLE},           {8, THREAD_PRIORITY_IDLE},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DesktopThreadPriority(row.ce), row.desktop) << "CE level " << row.ce;
  }
}

TEST(ThreadPriority, AppliesToTheCallingThreadOnly) {
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](LPVOID) -> DWORD {
        SetThreadPriorityCe(4);
        return DWORD(GetThreadPriority(GetCurrentThread()));
      },
      nullptr, 0, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD seen = 0;
  GetExitCodeThread(thread, &seen);
  CloseHandle(thread);
  EXPECT_EQ(int(seen), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

// Whether a named auto-reset event is set now; taking the signal would
// change it, so it is put back.
bool IsSet(HANDLE event) {
  if (WaitForSingleObject(event, 0) != WAIT_OBJECT_0) return false;
  SetEvent(event);
  return true;
}

// A reader object on the simulated terminal, with a client's view of the
// three state events.
class ScanDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UnloadDeviceLibraries();
    LoadDeviceLibraries();
  }
  void TearDown() override {
    delete device_;
    g_settings = nullptr;
    for (HANDLE h : {started_, stopped_, camMode_}) {
      if (h) CloseHandle(h);
    }
    UnloadDeviceLibraries();
  }
  void Build(int32_t scannerType) {
    settings_ = new Settings(scannerType, u"", u"");
    g_settings = settings_;
    device_ = new ScanDevice(nullptr);
    started_ = OpenEventW(EVENT_ALL_ACCESS, FALSE, kStartedEventName);
    stopped_ = OpenEventW(EVENT_ALL_ACCESS, FALSE, kStoppedEventName);
    camMode_ = OpenEventW(EVENT_ALL_ACCESS, FALSE, kCamModeActiveEventName);
    ASSERT_TRUE(started_ && stopped_ && camMode_);
  }
  void ExpectEvents(bool started, bool stopped, bool camMode) {
    EXPECT_EQ(IsSet(started_), started);
    EXPECT_EQ(IsSet(stopped_), stopped);
    EXPECT_EQ(IsSet(camMode_), camMode);
  }

  Settings* settings_ = nullptr;
  ScanDevice* device_ = nullptr;
  HANDLE started_ = nullptr;
  HANDLE stopped_ = nullptr;
  HANDLE camMode_ = nullptr;
};

TEST_F(ScanDeviceTest, NewObjectReportsStoppedWithItsStartValues) {
  Build(kScannerNone);
  ExpectEvents(false, true, false);
  EXPECT_EQ(device_->IsOpen, 0u);
  EXPECT_EQ(device_->SavedScanningType, 1);
  EXPECT_EQ(device_->SavedDecodeMode[1], 10u);
  EXPECT_EQ(KeepDecoding, 1u);
  delete settings_;
}

TEST_F(ScanDeviceTest, WithoutReaderOpenStillAnswersStarted) {
  Build(kScannerNone);
  EXPECT_EQ(device_->Open(0, 0), 0);
  ExpectEvents(true, false, false);
  // Not open, so a close does nothing and signals nothing.
  EXPECT_EQ(device_->Close(), 0);
  ExpectEvents(true, false, false);
  delete settings_;
}

TEST_F(ScanDeviceTest, LaserOpenAndCloseSignalOnlyOnChange) {
  Simterm(L"init --model 10 --reader laser");
  Build(kScannerLaser);
  EXPECT_EQ(device_->Activate(), 1);
  EXPECT_EQ(device_->IsOpen, 1u);
  ExpectEvents(true, false, false);
  // Open while open: nothing happens, not even to the events.
  ResetEvent(started_);
  EXPECT_EQ(device_->Open(0, 0), 0);
  ExpectEvents(false, false, false);

  device_->TriggerKeyTable[37] = 1;
  SetEvent(camMode_);
  EXPECT_EQ(device_->Deactivate(), 1);
  EXPECT_EQ(device_->IsOpen, 0u);
  EXPECT_EQ(device_->TriggerKeyTable[37], 0);
  ExpectEvents(false, true, false);
  EXPECT_EQ(device_->Close(), 0);
  delete settings_;
}

TEST_F(ScanDeviceTest, LaserThatWillNotCloseStaysMarkedOpen) {
  Simterm(L"init --model 10 --reader laser");
  Build(kScannerLaser);
  ASSERT_EQ(device_->Open(0, 0), 1);
  Simterm(L"fail LZRClose 5");
  EXPECT_EQ(device_->Close(), 0);
  EXPECT_EQ(device_->IsOpen, 1u);
  Simterm(L"fail --clear");
  EXPECT_EQ(device_->Close(), 1);
  delete settings_;
}

// Runs the listener with a message-only window as the main window.
class ListenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    MainWindow = window_;
    end_ = CreateEventW(nullptr, TRUE, FALSE, L"EventSarnuEnd");
    start_ = CreateEventW(nullptr, FALSE, FALSE, kReaderStartEventName);
    stop_ = CreateEventW(nullptr, FALSE, FALSE, kReaderStopEventName);
    camMode_ = CreateEventW(nullptr, FALSE, FALSE, kReaderCamModeEventName);
  }
  void TearDown() override {
    if (thread_) {
      SetEvent(end_);
      EXPECT_EQ(WaitForSingleObject(thread_, 10000), WAIT_OBJECT_0);
      DWORD result = 0;
      GetExitCodeThread(thread_, &result);
      EXPECT_EQ(result, 1u);
      CloseHandle(thread_);
    }
    for (HANDLE h : {end_, start_, stop_, camMode_}) CloseHandle(h);
    MainWindow = nullptr;
    DestroyWindow(window_);
  }
  void StartListener() {
    thread_ = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return DWORD(DataReaderEventListenerThread()); }, nullptr,
        0, nullptr);
    ASSERT_NE(thread_, nullptr);
  }
  // The next request message posted to the window within 5 s, or 0.
  UINT NextRequest() {
    for (int i = 0; i < 500; ++i) {
      MSG msg;
      if (PeekMessageW(&msg, window_, UM_READER_START, UM_READER_CAMMODE, PM_REMOVE))
        return msg.message;
      Sleep(10);
    }
    return 0;
  }

  HWND window_ = nullptr;
  HANDLE thread_ = nullptr;
  HANDLE end_ = nullptr, start_ = nullptr, stop_ = nullptr, camMode_ = nullptr;
};

TEST_F(ListenerTest, EachRequestBecomesItsMessage) {
  StartListener();
  // A camera-mode request survives the listener's start, so its answer shows
  // that the listener is past resetting the stale requests.
  SetEvent(camMode_);
  ASSERT_EQ(NextRequest(), UINT(UM_READER_CAMMODE));
  const struct {
    HANDLE* request;
    UINT message;
  } rows[] = {{&start_, UM_READER_START}, {&stop_, UM_READER_STOP}, {&camMode_, UM_READER_CAMMODE}};
  for (const auto& row : rows) {
    SetEvent(*row.request);
    EXPECT_EQ(NextRequest(), row.message);
  }
}

TEST_F(ListenerTest, StaleStartAndStopAreDroppedButCameraModeWaits) {
  SetEvent(start_);
  SetEvent(stop_);
  SetEvent(camMode_);
  StartListener();
  EXPECT_EQ(NextRequest(), UINT(UM_READER_CAMMODE));
  MSG msg;
  Sleep(100);
  EXPECT_FALSE(PeekMessageW(&msg, window_, UM_READER_START, UM_READER_CAMMODE, PM_REMOVE));
}

// Each icon group (6-byte head, 14 bytes an image): 48, 32, 16 px, 8 bits.
TEST(ProgramIcons, FortyEightThirtyTwoAndSixteenPixelsIn256Colours) {
  for (auto [file, group] : {std::pair{L"Sarnu.exe", 101}, {L"SarnuSettings.exe", 129},
                             {L"SarnuSettings.cpl", 101}, {L"SarnuBulk.exe", 129}}) {
    HMODULE module =
        LoadLibraryExW((ProgramFolder() + file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(group), MAKEINTRESOURCEW(14));
    ASSERT_NE(found, nullptr) << file;
    const BYTE* head = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    std::string sizes;
    for (const BYTE* e = head + 6; e < head + 6 + 14 * head[4]; e += 14) {
      sizes += std::to_string(e[0]) + "/" + std::to_string(e[6]) + " ";
    }
    EXPECT_EQ(sizes, "48/8 32/8 16/8 ") << file;
    FreeLibrary(module);
  }
}

}  // namespace
