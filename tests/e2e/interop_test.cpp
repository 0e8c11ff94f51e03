// The wedge's own signals on a simulated terminal, through notify_probe:
// good-read beeps, vibrations and LED flashes, the bulk toggle with its buzzer
// pairs and LED colour by model, and the boxes of threads without their event.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "sim_log.h"

namespace {

bool SetModel(int model) {
  return RunSimterm(L"set model " + std::to_wstring(model)) == 0;
}

const char kFlash[] = "DvcSetLED 2 1 4 0";
const char kBeep[] = "DvcPlayBuzzer 3 0 0";
const char kBulkLed13[] = "DvcSetLED 13 -1 1 1";

// ---- good-read signals ----------------------------------------------------

TEST(GoodReadSignals, TwoReads150MsApartBeepTwiceButFlashOnce) {
  ASSERT_TRUE(PrepareTerminal("laser", BulkIni(0, 0)));
  const long since = SimNow();
  ASSERT_EQ(0, RunProgram(L"notify_probe.exe", L"read --count 2 --gap 150", 30000));
  const std::vector<LogLine> log = SimLogSince(since);
  EXPECT_EQ(2, Count(log, kBeep));
  EXPECT_EQ(2, Count(log, "DvcStopBuzzer"));
  EXPECT_EQ(1, Count(log, kFlash));
  EXPECT_EQ(0, Count(log, kBulkLed13)) << "bulk colour although bulk mode is off";
}

TEST(GoodReadSignals, ReadsFurtherApartThanTheSpacingFlashEachTime) {
  ASSERT_TRUE(PrepareTerminal("imager", BulkIni(0, 0)));
  const long since = SimNow();
  ASSERT_EQ(0, RunProgram(L"notify_probe.exe", L"read --count 2 --gap 400", 30000));
  const std::vector<LogLine> log = SimLogSince(since);
  EXPECT_EQ(2, Count(log, kBeep));
  EXPECT_EQ(2, Count(log, kFlash));
}

// The reader's LED value decides the flash, the model the beep and the
// vibration; the model's buzzer value is not asked.
TEST(GoodReadSignals, LedBuzzerAndVibratorByReaderValueAndModel) {
  struct Case {
    const char* reader;
    int model;
    int led;
    int vibrator;
    int flashes, beeps, vibrations;
  } cases[] = {
      {"laser", 10, 0, 0, 0, 1, 0},   // LED value off: no flash
      {"imager", 10, 1, 1, 1, 1, 0},  // 10 has a buzzer but no vibrator
      {"laser", 12, 1, 1, 1, 1, 1},   // 12 has both
      {"laser", 12, 1, 0, 1, 1, 0},   // vibrator value off
      {"laser", 4, 1, 1, 1, 0, 0},    // 4 has neither
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reader) + " model " + std::to_string(c.model));
    ASSERT_TRUE(PrepareTerminal(c.reader, BulkIni(0, 0)));
    ASSERT_TRUE(SetModel(c.model));
    const long since = SimNow();
    ASSERT_EQ(0, RunProgram(L"notify_probe.exe",
                            L"read --led " + std::to_wstring(c.led) + L" --vibrator " +
                                std::to_wstring(c.vibrator),
                            30000));
    const std::vector<LogLine> log = SimLogSince(since);
    EXPECT_EQ(c.flashes, Count(log, kFlash));
    EXPECT_EQ(c.beeps, Count(log, kBeep));
    EXPECT_EQ(c.vibrations, Count(log, "DvcPlayVibrator 3 0 0 0"));
  }
}

// After a flash the steady bulk colour returns only in toggle mode with bulk
// mode on; "always on" bulk mode leaves the LED to the flash.
TEST(GoodReadSignals, BulkColourBack250MsAfterAFlashOnlyInToggleMode) {
  struct Case {
    int activationMode;
    int bulkActive;
    int model;
    const char* restore;  // null: none expected
  } cases[] = {
      {1, 1, 10, kBulkLed13},
      {1, 1, 8, "DvcSetLED 3 -1 1 1"},
      {0, 1, 10, nullptr},
      {1, 0, 10, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.activationMode) + " active " +
                 std::to_string(c.bulkActive) + " model " + std::to_string(c.model));
    ASSERT_TRUE(PrepareTerminal("laser", BulkIni(1, c.activationMode)));
    ASSERT_TRUE(SetModel(c.model));
    const long since = SimNow();
    ASSERT_EQ(0, RunProgram(L"notify_probe.exe",
                            L"read --bulk-active " + std::to_wstring(c.bulkActive), 30000));
    const std::vector<LogLine> log = SimLogSince(since);
    const LogLine* flash = Find(log, kFlash);
    ASSERT_NE(nullptr, flash);
    int restores = 0;
    for (const LogLine& l : log)
      restores += l.text.compare(0, 10, "DvcSetLED ") == 0 && l.text != kFlash;
    if (!c.restore) {
      EXPECT_EQ(0, restores);
      continue;
    }
    EXPECT_EQ(1, restores);
    const LogLine* restore = Find(log, c.restore);
    ASSERT_NE(nullptr, restore);
    EXPECT_GE(restore->ms - flash->ms, 240) << "the flash was cut short";
    EXPECT_LT(restore->ms - flash->ms, 1000);
  }
}

// A second flash while the first still holds the LED cancels the first's
// wait: the bulk colour comes back once, after the newer flash.
TEST(GoodReadSignals, NewerFlashCancelsTheOlderRestore) {
  ASSERT_TRUE(PrepareTerminal("laser", BulkIni(1, 1)));
  const long since = SimNow();
  ASSERT_EQ(0, RunProgram(L"notify_probe.exe", L"read --bulk-active 1 --count 2 --gap 215", 30000));
  const std::vector<LogLine> log = SimLogSince(since);
  ASSERT_EQ(2, Count(log, kFlash));
  ASSERT_EQ(1, Count(log, kBulkLed13));
  const LogLine* second = nullptr;
  for (const LogLine& l : log) {
    if (l.text == kFlash) second = &l;
  }
  EXPECT_GE(Find(log, kBulkLed13)->ms - second->ms, 240);
}

// ---- bulk toggle ----------------------------------------------------------

HANDLE BulkEvent() { return CreateEventW(nullptr, FALSE, FALSE, L"SarnuBulkEvent"); }

TEST(BulkToggle, RisingPairOnFallingPairOffWithTheModelsColour) {
  struct Case {
    int model;
    const char* on;
    bool buzzer;
  } cases[] = {
      {10, kBulkLed13, true},
      {8, "DvcSetLED 3 -1 1 1", true},
      {4, kBulkLed13, false},  // no buzzer: the LED alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("model " + std::to_string(c.model));
    ASSERT_TRUE(PrepareTerminal("laser", BulkIni(1, 1)));
    ASSERT_TRUE(SetModel(c.model));
    Program probe;
    ASSERT_TRUE(probe.Start(L"notify_probe.exe", L"toggle --ms 30000"));
    HWND window =
        WaitForProcessWindow(probe.Id(), L"NotifyProbe", L"notify_probe ready", false, 20000);
    ASSERT_NE(nullptr, window);
    HANDLE bulk = BulkEvent();
    ASSERT_NE(nullptr, bulk);
    const long since = SimNow();

    SetEvent(bulk);
    const std::string lastOn = c.buzzer ? "DvcPlayBuzzer 4 3500 300" : c.on;
    ASSERT_TRUE(WaitForLog(lastOn, since, 10000));
    const long between = SimNow();
    SetEvent(bulk);
    ASSERT_TRUE(
        WaitForLog(c.buzzer ? "DvcPlayBuzzer 4 2500 300" : "DvcSetLED 0 0 0 0", between, 10000));
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(probe.WaitForExit(10000, &code));
    EXPECT_EQ(1u, code) << "bulk mode should be off again after two toggles";
    CloseHandle(bulk);

    const std::vector<LogLine> log = SimLogSince(since);
    const std::string calls = Calls(log, {"DvcSetLED", "DvcPlayBuzzer", "DvcStopBuzzer"});
    if (c.buzzer) {
      EXPECT_EQ(std::string(c.on) +
                    "\nDvcStopBuzzer\nDvcPlayBuzzer 4 2500 300\nDvcStopBuzzer\n"
                    "DvcPlayBuzzer 4 3500 300\nDvcSetLED 0 0 0 0\nDvcStopBuzzer\n"
                    "DvcPlayBuzzer 4 3500 300\nDvcStopBuzzer\nDvcPlayBuzzer 4 2500 300\n",
                calls);
      const LogLine* first = Find(log, "DvcPlayBuzzer 4 2500 300");
      const LogLine* second = Find(log, "DvcPlayBuzzer 4 3500 300");
      ASSERT_TRUE(first && second);
      EXPECT_GE(second->ms - first->ms, 340) << "the pair's tones overlap";
    } else {
      EXPECT_EQ(std::string(c.on) + "\nDvcSetLED 0 0 0 0\n", calls);
    }
  }
}

// With AimerMode on, bulk mode on brings the laser's aimer back after the
// rising pair; bulk mode off leaves the aimer as it is.
TEST(BulkToggle, BulkOnSwitchesTheAimerOnWhenAimerModeAsks) {
  ASSERT_TRUE(PrepareTerminal("laser", BulkIni(1, 1) + "AimerMode=1\r\nAimerWidth=1\r\n"));
  Program probe;
  ASSERT_TRUE(probe.Start(L"notify_probe.exe", L"toggle --ms 30000"));
  HWND window =
      WaitForProcessWindow(probe.Id(), L"NotifyProbe", L"notify_probe ready", false, 20000);
  ASSERT_NE(nullptr, window);
  HANDLE bulk = BulkEvent();
  const long since = SimNow();
  SetEvent(bulk);
  ASSERT_TRUE(WaitForLog("LZROpen 0 0", since, 10000));
  const long off = SimNow();
  SetEvent(bulk);
  ASSERT_TRUE(WaitForLog("DvcPlayBuzzer 4 2500 300", off, 10000));
  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD code = 99;
  ASSERT_TRUE(probe.WaitForExit(10000, &code));
  CloseHandle(bulk);
  EXPECT_EQ(
      "DvcPlayBuzzer 4 2500 300\nDvcPlayBuzzer 4 3500 300\nLZRSetFocus 0\nLZRSetSwingAngle "
      "2\nLZROpen 0 0\n"
      "DvcPlayBuzzer 4 3500 300\nDvcPlayBuzzer 4 2500 300\n",
      Calls(SimLogSince(since), {"DvcPlayBuzzer 4 3500", "DvcPlayBuzzer 4 2500", "LZR"}));
}

TEST(BulkToggle, EventIgnoredUnlessBulkEnabledInToggleMode) {
  struct Case {
    int enable;
    int activationMode;
  } cases[] = {{0, 1}, {1, 0}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE("enable " + std::to_string(c.enable) + " mode " +
                 std::to_string(c.activationMode));
    ASSERT_TRUE(PrepareTerminal("laser", BulkIni(c.enable, c.activationMode)));
    Program probe;
    ASSERT_TRUE(probe.Start(L"notify_probe.exe", L"toggle --ms 30000"));
    HWND window =
        WaitForProcessWindow(probe.Id(), L"NotifyProbe", L"notify_probe ready", false, 20000);
    ASSERT_NE(nullptr, window);
    HANDLE bulk = BulkEvent();
    const long since = SimNow();
    SetEvent(bulk);
    Sleep(800);
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(probe.WaitForExit(10000, &code));
    EXPECT_EQ(1u, code) << "the thread should have ended at once, bulk mode untouched";
    CloseHandle(bulk);
    EXPECT_EQ("", Calls(SimLogSince(since), {"DvcSetLED", "DvcPlayBuzzer"}));
  }
}

// ---- event failures -------------------------------------------------------

// An object of another kind under an event's name makes CreateEventW fail:
// the thread shows its box and the process goes on without that function.
TEST(EventFailures, ProbeThreadsShowTheirBoxWhenTheirEventIsTaken) {
  struct Case {
    const wchar_t* taken;
    const wchar_t* arguments;
    const wchar_t* text;
  } cases[] = {
      {L"EventSarnuLED", L"read --hold 8000", L"NotifyLEDThread\r\nEvent\r\nERROR!"},
      {L"SarnuBulkEvent", L"toggle --ms 8000", L"ToggleBulkModeThread\r\nEvent\r\nERROR!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FromAnsi("") + c.taken);
    ASSERT_TRUE(PrepareTerminal("laser", BulkIni(1, 1)));
    HANDLE squatter = CreateMutexW(nullptr, FALSE, c.taken);
    ASSERT_NE(nullptr, squatter);
    const long since = SimNow();
    Program probe;
    ASSERT_TRUE(probe.Start(L"notify_probe.exe", c.arguments));
    HWND box = nullptr;
    PollUntil(
        [&] {
          box = FindProcessWindow(probe.Id(), L"#32770", L"ERROR", true);
          return box != nullptr;
        },
        10000);
    ASSERT_NE(nullptr, box) << "no box captioned \"ERROR\"";
    EXPECT_EQ(c.text, MessageBoxText(box));
    DismissMessageBox(box);
    probe.End();
    CloseHandle(squatter);
    // The beep of the read still came; only the flash is gone.
    if (wcscmp(c.taken, L"EventSarnuLED") == 0) {
      const std::vector<LogLine> log = SimLogSince(since);
      EXPECT_EQ(1, Count(log, kBeep));
      EXPECT_EQ(0, Count(log, kFlash));
    }
  }
}

}  // namespace
