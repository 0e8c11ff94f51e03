// The wedge's own listeners while it runs: bulk toggling through
// "SarnuBulkEvent" only in toggle mode, and the DataReader listener's box when
// a request event cannot be had. The requests themselves: reader_control_test.
#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "sim_log.h"

namespace {

const char kBulkLed13[] = "DvcSetLED 13 -1 1 1";

HANDLE BulkEvent() { return CreateEventW(nullptr, FALSE, FALSE, L"SarnuBulkEvent"); }

HANDLE StateEvent(const wchar_t* name) { return CreateEventW(nullptr, FALSE, FALSE, name); }

bool Signalled(HANDLE event, DWORD timeoutMs) {
  return WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
}

// Starts the wedge and waits until its window answers.
HWND StartWedge(Program& wedge) {
  if (!wedge.Start(L"Sarnu.exe")) return nullptr;
  HWND window = WaitForProcessWindow(wedge.Id(), L"Sarnu", L"Sarnu", false, 20000);
  DWORD_PTR unused = 0;
  if (!window || !PollUntil(
                     [&] {
                       return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                                  &unused) != 0;
                     },
                     10000)) {
    return nullptr;
  }
  return window;
}

bool ExitWedge(Program& wedge, HWND window) {
  PostMessageW(window, WM_COMMAND, 40002, 0);
  DWORD code = 99;
  return wedge.WaitForExit(10000, &code) && code == 0;
}

// Holds "DataReader_Event_Started" so that a test can tell when the wedge's
// first activation has opened the reader.
class RunningWedge : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(0, 0);
    started_ = StateEvent(L"DataReader_Event_Started");
  }
  void TearDown() override {
    if (started_) CloseHandle(started_);
  }
  HANDLE started_ = nullptr;
};

// The same toggle as SarnuBulk asks for it of the running wedge: its thread
// starts with the first activation, only in toggle mode.
TEST_F(RunningWedge, TogglesBulkModeOnSarnuBulkEventOnlyInToggleMode) {
  struct Case {
    int enable;
    int activationMode;
    bool toggles;
  } cases[] = {{1, 1, true}, {1, 0, false}, {0, 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE("enable " + std::to_string(c.enable) + " mode " +
                 std::to_string(c.activationMode));
    ASSERT_TRUE(PrepareTerminal("laser", BulkIni(c.enable, c.activationMode)));
    Program wedge;
    HWND window = StartWedge(wedge);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(Signalled(started_, 20000));
    // The toggle thread starts right after the activation that opened the
    // reader; a signal before it waits would be dropped.
    Sleep(500);
    HANDLE bulk = BulkEvent();
    const long since = SimNow();
    SetEvent(bulk);
    if (c.toggles) {
      EXPECT_TRUE(WaitForLog("DvcPlayBuzzer 4 3500 300", since, 10000));
      const long off = SimNow();
      SetEvent(bulk);
      EXPECT_TRUE(WaitForLog("DvcPlayBuzzer 4 2500 300", off, 10000));
      EXPECT_EQ(std::string(kBulkLed13) +
                    "\nDvcPlayBuzzer 4 2500 300\nDvcPlayBuzzer 4 3500 300\n"
                    "DvcSetLED 0 0 0 0\nDvcPlayBuzzer 4 3500 300\nDvcPlayBuzzer 4 2500 300\n",
                Calls(SimLogSince(since), {"DvcSetLED", "DvcPlayBuzzer"}));
    } else {
      Sleep(800);
      EXPECT_EQ("", Calls(SimLogSince(since), {"DvcSetLED", "DvcPlayBuzzer"}));
    }
    CloseHandle(bulk);
    EXPECT_TRUE(ExitWedge(wedge, window));
  }
}

TEST(DataReaderListener, TakenRequestEventShowsTheBoxAndTheWedgeRunsOn) {
  ASSERT_TRUE(PrepareTerminal("laser", BulkIni(0, 0)));
  HANDLE squatter = CreateMutexW(nullptr, FALSE, L"DataReader_Event_CamMode");
  ASSERT_NE(nullptr, squatter);
  SetCursorPos(0, 0);
  Program wedge;
  ASSERT_TRUE(wedge.Start(L"Sarnu.exe"));
  HWND box = nullptr;
  PollUntil(
      [&] {
        box = FindProcessWindow(wedge.Id(), L"#32770", L"ERROR", true);
        return box != nullptr;
      },
      20000);
  ASSERT_NE(nullptr, box) << "no box captioned \"ERROR\" of the wedge";
  EXPECT_EQ(L"DataReaderEventListenerThread\r\nEvent\r\nERROR!", MessageBoxText(box));
  DismissMessageBox(box);
  HWND window = WaitForProcessWindow(wedge.Id(), L"Sarnu", L"Sarnu", false, 20000);
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(ExitWedge(wedge, window));
  CloseHandle(squatter);
}

}  // namespace
