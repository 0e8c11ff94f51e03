// The "Common" page: splash, start-up shortcut, power-on keys, aimer mode
// and width, and the reader maker's own set-up tool, which the page starts
// and waits for.
#include "page_support.h"

#include <iterator>

#include "program_start.h"
#include "resource.h"
#include "settings_pages.h"
#include "startup_shortcut.h"

namespace {

// The aimer-width trackbar and its labels.
const int kAimerWidthGroup[] = {IDC_COMMON_AIMER_WIDTH_LABEL, IDC_COMMON_AIMER_WIDTH,
                                IDC_COMMON_NARROW, IDC_COMMON_MIDDLE, IDC_COMMON_WIDE,
                                IDC_COMMON_MAX};
const int kAimerWidthGroupSize = int(std::size(kAimerWidthGroup));

enum : UINT_PTR { kToolButtonTimer = 1 };

// Bulk press-and-hold needs the trigger held for the whole run; aimer mode
// uses the release, so the two exclude each other.
bool PressAndHoldActive() {
  return g_settings->BulkEnable != 0 && g_settings->BulkTriggerMode == 0;
}

void ShowAimerWidthGroup(HWND page, bool shown) {
  for (int control : kAimerWidthGroup) {
    ShowWindow(GetDlgItem(page, control), shown ? SW_SHOW : SW_HIDE);
  }
}

void LoadControls(HWND page) {
  const Settings& s = *g_settings;
  SetCheck(page, IDC_COMMON_TRIGGER_POWER, s.TriggerPowerOn != 0);
  SetCheck(page, IDC_COMMON_CRADLE_POWER, s.CradlePowerOn != 0);
  SetCheck(page, IDC_COMMON_AIMER, s.AimerMode != 0);
  SetCheck(page, IDC_COMMON_SPLASH, s.ShowSplash != 0);
  SetCheck(page, IDC_COMMON_STARTUP, StartupShortcutChecked);
  const bool pressAndHold = PressAndHoldActive();
  EnableControl(page, IDC_COMMON_AIMER, !pressAndHold);
  EnableControl(page, IDC_COMMON_AIMER_NOTE, !pressAndHold);
  if (s.GetScannerType() != kScannerLaser) {
    ShowAimerWidthGroup(page, false);
    SetTrackbarPos(page, IDC_COMMON_AIMER_WIDTH, 0);
    SetDlgItemTextW(page, IDC_COMMON_OTHER_SETTINGS, L"Other Imager Settings");
    return;
  }
  EnableControls(page, kAimerWidthGroup, kAimerWidthGroupSize,
                 !pressAndHold && s.AimerMode != 0);
  SetTrackbarPos(page, IDC_COMMON_AIMER_WIDTH, s.AimerWidth);
}

void StoreControls(HWND page) {
  Settings& s = *g_settings;
  s.SetTriggerPowerOn(IsChecked(page, IDC_COMMON_TRIGGER_POWER) ? 1 : 0);
  s.SetCradlePowerOn(IsChecked(page, IDC_COMMON_CRADLE_POWER) ? 1 : 0);
  s.SetAimerMode(IsChecked(page, IDC_COMMON_AIMER) ? 1 : 0);
  s.SetShowSplash(IsChecked(page, IDC_COMMON_SPLASH) ? 1 : 0);
  // An imager's trackbar was set to 0 and hidden, so it stores 0.
  s.SetAimerWidth(TrackbarPos(page, IDC_COMMON_AIMER_WIDTH));
  StartupShortcutChecked = IsChecked(page, IDC_COMMON_STARTUP);
}

void CALLBACK OtherSettingsTimerProc(HWND page, UINT, UINT_PTR timer, DWORD) {
  KillTimer(page, timer);
  EnableControl(page, IDC_COMMON_OTHER_SETTINGS, true);
}

// The page's thread waits for the tool, so the sheet does not react until
// the user closed it; the button comes back a second later either way.
void RunReaderTool(HWND page) {
  EnableControl(page, IDC_COMMON_OTHER_SETTINGS, false);
  const wchar_t* tool = g_settings->GetScannerType() == kScannerImager
                            ? L"\\Windows\\PIXSet.exe"
                            : L"\\Windows\\LZRSet.exe";
  void* process = nullptr;
  if (StartTerminalProgram(tool, &process)) WaitForProgramEnd(process);
  SetTimer(page, kToolButtonTimer, 1000, OtherSettingsTimerProc);
}

void ResetPage(HWND page) {
  g_settings->ResetOtherDefaults();  // deletes the start-up shortcut at once
  StartupShortcutChecked = StartupShortcutExists();
  LoadControls(page);
}

void OnAimerClicked(HWND page) {
  EnableControls(page, kAimerWidthGroup, kAimerWidthGroupSize,
                 IsChecked(page, IDC_COMMON_AIMER));
}

// The page sets no focus of its own.
void OnInitDialog(HWND page) {
  SetTrackbarRange(page, IDC_COMMON_AIMER_WIDTH, field_range::AimerWidth);
  SubclassTrackbar(page, IDC_COMMON_AIMER_WIDTH);
  LoadControls(page);
}

void OnCommand(HWND page, int control) {
  switch (control) {
    case IDC_COMMON_AIMER:
      OnAimerClicked(page);
      break;
    case IDC_COMMON_OTHER_SETTINGS:
      RunReaderTool(page);
      break;
    case IDC_COMMON_DEFAULTS:
      RunPageReset(page, IDC_COMMON_DEFAULTS, ResetPage);
      break;
    default:
      break;
  }
}

// The shortcut is set before the section is saved, whatever the save does.
int Save(HWND) {
  SetStartupShortcut(StartupShortcutChecked);
  return g_settings->SaveOtherSettings();
}

// LoadControls on every showing: a bulk setting changed on the "Bulkmode"
// page shows here at once.
const PageProtocol kCommonPage = {OnInitDialog, OnCommand, LoadControls, StoreControls, Save};

}  // namespace

INT_PTR CALLBACK CommonPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return PageProcedure(kCommonPage, page, message, wParam, lParam);
}
