// Sarnu.exe as the user meets it: one copy only, Exit from its menu, the
// splash, and the message box of a start-up that cannot create its events.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "e2e_support.h"

namespace {

const UINT kIdmExit = 40002;
const UINT kTrayIconId = 1;

std::string IniWithSplash(int showSplash) {
  return "[OtherSettings]\r\nShowSplash=" + std::to_string(showSplash) + "\r\n";
}

// True while the wedge's UI thread takes sent messages. Not a sign that the
// message loop runs: a thread also answers them while it waits in a
// SendMessage of its own (the tray icon's, during start-up).
bool Answers(HWND window) {
  DWORD_PTR unused = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &unused) != 0;
}

class WedgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The splash closes at the first WM_SETCURSOR: keep the pointer off it.
    SetCursorPos(0, 0);
  }

  // Starts Sarnu.exe and waits until its hidden window exists and answers.
  void StartWedge(Program& wedge, HWND* window) {
    ASSERT_TRUE(wedge.Start(L"Sarnu.exe")) << "Sarnu.exe did not start";
    *window = WaitForProcessWindow(wedge.Id(), L"Sarnu", L"Sarnu", false, 20000);
    ASSERT_NE(nullptr, *window) << "no window \"Sarnu\" of the wedge";
    ASSERT_TRUE(PollUntil([&] { return Answers(*window); }, 10000));
  }

  void ExitWedge(Program& wedge, HWND window, DWORD* exitCode) {
    ASSERT_TRUE(PostMessageW(window, WM_COMMAND, kIdmExit, 0));
    ASSERT_TRUE(wedge.WaitForExit(10000, exitCode)) << "the wedge did not end after Exit";
  }
};

TEST_F(WedgeTest, SecondCopyEndsAtOnceAndTheFirstRunsOn) {
  ASSERT_TRUE(PrepareTerminal("laser", IniWithSplash(0)));
  Program first;
  HWND window = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartWedge(first, &window));

  Program second;
  ASSERT_TRUE(second.Start(L"Sarnu.exe"));
  DWORD code = 99;
  ASSERT_TRUE(second.WaitForExit(10000, &code)) << "the second copy keeps running";
  EXPECT_EQ(0u, code);
  EXPECT_EQ(nullptr, FindProcessWindow(second.Id(), L"Sarnu", L"Sarnu", false));

  EXPECT_TRUE(first.IsRunning());
  EXPECT_TRUE(Answers(window)) << "the first copy stopped answering";
  EXPECT_TRUE(TrayIconExists(window, kTrayIconId));
  ASSERT_NO_FATAL_FAILURE(ExitWedge(first, window, &code));
  EXPECT_EQ(0u, code);
}

TEST_F(WedgeTest, ExitEndsWithZeroAndTakesTheTrayIconAlong) {
  ASSERT_TRUE(PrepareTerminal("laser", IniWithSplash(0)));
  Program wedge;
  HWND window = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartWedge(wedge, &window));
  ASSERT_TRUE(TrayIconExists(window, kTrayIconId)) << "no tray icon while running";

  DWORD code = 99;
  ASSERT_NO_FATAL_FAILURE(ExitWedge(wedge, window, &code));
  EXPECT_EQ(0u, code);
  EXPECT_FALSE(TrayIconExists(window, kTrayIconId)) << "the icon outlived the wedge";

  // The single-instance mutex went with it: a new copy starts normally.
  Program again;
  ASSERT_NO_FATAL_FAILURE(StartWedge(again, &window));
  ASSERT_NO_FATAL_FAILURE(ExitWedge(again, window, &code));
  EXPECT_EQ(0u, code);
}

TEST_F(WedgeTest, TerminalWithoutReaderStillRunsAndExits) {
  ASSERT_TRUE(PrepareTerminal("none", IniWithSplash(0)));
  Program wedge;
  HWND window = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartWedge(wedge, &window));
  EXPECT_TRUE(TrayIconExists(window, kTrayIconId));
  DWORD code = 99;
  ASSERT_NO_FATAL_FAILURE(ExitWedge(wedge, window, &code));
  EXPECT_EQ(0u, code);
}

// Posts Exit and watches the wedge's dialogs until the process has ended.
// The loop handles the posted Exit only after every start-up step, so a
// splash that start-up made is seen before the end.
bool DialogSeenUntilExit(Program& wedge, HWND window, DWORD* exitCode) {
  bool seen = false;
  PostMessageW(window, WM_COMMAND, kIdmExit, 0);
  PollUntil(
      [&] {
        if (FindProcessWindow(wedge.Id(), L"#32770", nullptr, false)) seen = true;
        return !wedge.IsRunning();
      },
      10000);
  EXPECT_TRUE(wedge.WaitForExit(0, exitCode)) << "the wedge did not end after Exit";
  return seen;
}

TEST_F(WedgeTest, SplashShownWithShowSplash1) {
  ASSERT_TRUE(PrepareTerminal("laser", IniWithSplash(1)));
  Program wedge;
  HWND window = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartWedge(wedge, &window));
  // It lives five seconds; it comes within a fraction of one.
  HWND splash = WaitForProcessWindow(wedge.Id(), L"#32770", nullptr, true, 4000);
  ASSERT_NE(nullptr, splash) << "no splash";
  EXPECT_TRUE(WaitUntilPainted(splash, 3000)) << "the splash shows no picture";
  EXPECT_FALSE(SaveScreenshot(L"wedge-splash-shown").empty()) << "no screenshot";

  RECT r = {};
  GetWindowRect(splash, &r);
  EXPECT_EQ(220, r.right - r.left);
  EXPECT_EQ(165, r.bottom - r.top);
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 220) / 2, r.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 165) / 2, r.top);
  EXPECT_TRUE(GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);

  DWORD code = 99;
  ASSERT_NO_FATAL_FAILURE(ExitWedge(wedge, window, &code));
  EXPECT_EQ(0u, code);
}

TEST_F(WedgeTest, NoSplashWithShowSplash0) {
  ASSERT_TRUE(PrepareTerminal("laser", IniWithSplash(0)));
  Program wedge;
  HWND window = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartWedge(wedge, &window));
  ASSERT_TRUE(PollUntil([&] { return TrayIconExists(window, kTrayIconId); }, 5000));
  EXPECT_FALSE(SaveScreenshot(L"wedge-splash-not-shown").empty()) << "no screenshot";
  DWORD code = 99;
  EXPECT_FALSE(DialogSeenUntilExit(wedge, window, &code)) << "a splash although ShowSplash=0";
  EXPECT_EQ(0u, code);
}

// The same watch sees the splash that ShowSplash=1 asks for, even when Exit
// is posted the moment the window exists: shown before the first message.
TEST_F(WedgeTest, SplashComesBeforeTheFirstMessage) {
  ASSERT_TRUE(PrepareTerminal("laser", IniWithSplash(1)));
  Program wedge;
  HWND window = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartWedge(wedge, &window));
  DWORD code = 99;
  EXPECT_TRUE(DialogSeenUntilExit(wedge, window, &code)) << "no splash before Exit was handled";
  EXPECT_EQ(0u, code);
}

TEST_F(WedgeTest, EventNameTakenShowsItsBoxAndEndsWithZero) {
  ASSERT_TRUE(PrepareTerminal("laser", IniWithSplash(0)));
  // A mutex holds the event's name, so CreateEventW cannot have it.
  // Closed however the test ends: a name left taken would break every later
  // start of the wedge.
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> squatter(
      CreateMutexW(nullptr, FALSE, L"EventSarnuDataAvailable"), CloseHandle);
  ASSERT_NE(nullptr, squatter.get());

  Program wedge;
  ASSERT_TRUE(wedge.Start(L"Sarnu.exe"));
  HWND box = nullptr;
  PollUntil(
      [&] {
        box = FindProcessWindow(wedge.Id(), L"#32770", L"ERROR", true);
        return box != nullptr || !wedge.IsRunning();
      },
      20000);
  ASSERT_NE(nullptr, box) << "no box captioned \"ERROR\" of the wedge";
  // The main window and its tray icon exist already when the events fail.
  HWND window = FindProcessWindow(wedge.Id(), L"Sarnu", L"Sarnu", false);
  EXPECT_EQ(L"Create\r\nEvents\r\nERROR!", MessageBoxText(box));
  DismissMessageBox(box);
  DWORD code = 99;
  ASSERT_TRUE(wedge.WaitForExit(10000, &code)) << "the wedge runs on after the box";
  EXPECT_EQ(0u, code);
  ASSERT_NE(nullptr, window) << "no main window while the box was up";
  EXPECT_FALSE(TrayIconExists(window, kTrayIconId)) << "a dead wedge's icon in the tray";
}

}  // namespace
