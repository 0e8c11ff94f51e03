// The launchers from the install: the applet in a control panel's hands
// (a small host, and Wine's own panel) starting the settings program, and
// SarnuBulk switching bulk mode in the running wedge from its function key.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <cpl.h>

#include <string>

#include "sim_log.h"
#include "standins.h"
#include "wedge_session.h"

namespace {

std::wstring Applet() { return L"\"" + InstalledFolder() + L"SarnuSettings.cpl\""; }

int Host(const std::wstring& messages, std::string* output = nullptr) {
  return RunProgram(L"cpl_host.exe", Applet() + L" " + messages, 30000, output);
}

// Without the settings program on the terminal a double-click answers 1,
// and the mutex is given back each time.
TEST(Applet, AnswersTheControlPanelsMessages) {
  StandIns standIns(0);
  std::string output;
  Host(L"init count inquire select stop exit 99 newinquire-null newinquire dblclk dblclk", &output);
  EXPECT_EQ(
      "init 1\ncount 1\ninquire 0\nselect 0\nstop 0\nexit 0\n99 0\nnewinquire-null 1\n"
      "newinquire 0 size=" +
          std::to_string(sizeof(NEWCPLINFOW)) +
          " flags=0 help=0 data=101 icon=1 name=\"SARNU Settings\" info=\"SARNU Settings\" "
          "helpfile=\"\"\ndblclk 1\ndblclk 1\n",
      output);
}

// The double-click answers 0 only once the settings program has ended; a
// second panel's double-click meanwhile answers 1 at once and starts nothing.
TEST(Applet, DoubleClickWaitsForTheSettingsProgramAndRefusesASecondOpening) {
  StandIns standIns(3000);
  ASSERT_TRUE(standIns.Place(L"SarnuSettings.exe"));
  Program first;
  ASSERT_TRUE(first.Start(L"cpl_host.exe", Applet() + L" dblclk"));
  ASSERT_TRUE(standIns.WaitForLog("start SarnuSettings.exe\n", 10000));
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(1, Host(L"dblclk"));
  EXPECT_LT(GetTickCount64() - start, 1500u) << "the second opening waited";
  DWORD answer = 99;
  ASSERT_TRUE(first.WaitForExit(15000, &answer));
  EXPECT_EQ(0u, answer);
  EXPECT_EQ("start SarnuSettings.exe\nend SarnuSettings.exe\n", standIns.Log())
      << "the applet answered before the program ended, or started a second";
}

TEST(Applet, WinesControlPanelOpensIt) {
  StandIns standIns(500);
  ASSERT_TRUE(standIns.Place(L"SarnuSettings.exe"));
  ASSERT_TRUE(CopyFileW((InstalledFolder() + L"SarnuSettings.cpl").c_str(),
                        L"C:\\Windows\\SarnuSettings.cpl", FALSE));
  Program panel;
  ASSERT_TRUE(panel.Start(L"control.exe", L"C:\\Windows\\SarnuSettings.cpl"));
  EXPECT_TRUE(standIns.WaitForLog("start SarnuSettings.exe\nend SarnuSettings.exe\n", 20000))
      << standIns.Log();
  panel.WaitForExit(10000);
  DeleteFileW(L"C:\\Windows\\SarnuSettings.cpl");
}

// ---- SarnuBulk -------------------------------------------------------------

const char kOn[] = "DvcSetLED 13 -1 1 1";
const char kOff[] = "DvcSetLED 0 0 0 0";

// The function key's launch entry as the settings program's Bulk page saves
// it; SarnuBulk is started from the path it names, on drive C:.
std::wstring FunctionKeyProgram() {
  const wchar_t program[] = L"\\Windows\\SarnuBulk.exe";
  HKEY key = nullptr;
  // The system's HARDWARE tree takes volatile keys only.
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\KEYBD", 0, nullptr,
                      REG_OPTION_VOLATILE, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return L"";
  }
  RegSetValueExW(key, L"Fn8LaunchPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(program),
                 sizeof program);
  wchar_t path[MAX_PATH] = {};
  DWORD bytes = sizeof path - sizeof path[0];
  RegQueryValueExW(key, L"Fn8LaunchPath", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &bytes);
  RegCloseKey(key);
  CopyFileW((InstalledFolder() + L"SarnuBulk.exe").c_str(), L"C:\\Windows\\SarnuBulk.exe", FALSE);
  return std::wstring(L"C:") + path;
}

TEST(SarnuBulk, EachStartTogglesBulkModeInTheRunningWedge) {
  WedgeSession session;
  std::string why;
  ASSERT_TRUE(session.Start("laser", BulkIni(1, 1), &why)) << why;
  const std::wstring program = FunctionKeyProgram();
  const long since = SimNow();
  ASSERT_EQ(0, RunProgram(program, L"", 10000));
  ASSERT_TRUE(WaitForLog("DvcPlayBuzzer 4 3500 300", since, 10000)) << "no rising pair";
  const long between = SimNow();
  ASSERT_EQ(0, RunProgram(program, L"", 10000));
  ASSERT_TRUE(WaitForLog("DvcPlayBuzzer 4 2500 300", between, 10000)) << "no falling pair";
  EXPECT_EQ(std::string(kOn) + "\nDvcPlayBuzzer 4 2500 300\nDvcPlayBuzzer 4 3500 300\n" + kOff +
                "\nDvcPlayBuzzer 4 3500 300\nDvcPlayBuzzer 4 2500 300\n",
            Calls(SimLogSince(since), {"DvcSetLED", "DvcPlayBuzzer"}));

  // Two starts at once set the event twice: one toggle when both came before
  // the wedge's thread woke, two when it woke between them.
  const long pair = SimNow();
  Program a, b;
  ASSERT_TRUE(a.Start(program) && b.Start(program));
  ASSERT_TRUE(a.WaitForExit(10000) && b.WaitForExit(10000));
  ASSERT_TRUE(WaitForLog("DvcPlayBuzzer 4 3500 300", pair, 10000));
  Sleep(1500);
  const std::string toggles = Calls(SimLogSince(pair), {kOn, kOff});
  EXPECT_TRUE(toggles == std::string(kOn) + "\n" ||
              toggles == std::string(kOn) + "\n" + kOff + "\n")
      << toggles;
}

TEST(SarnuBulk, WithoutAWedgeItEndsAtOnceAndLeavesNoEvent) {
  ASSERT_TRUE(PrepareTerminal("laser", BulkIni(1, 1)));
  EXPECT_EQ(0, RunProgram(FunctionKeyProgram(), L"", 10000));
  HANDLE left = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"SarnuBulkEvent");
  EXPECT_EQ(nullptr, left) << "the event outlived SarnuBulk";
  if (left) CloseHandle(left);
}

}  // namespace
