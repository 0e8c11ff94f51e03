// SarnuSettings: one copy at a time edits SARNU.INI in the settings sheet.
// Every save of the run goes to the temporary copy, which replaces the real
// file once, when the sheet has ended; only then may the device reset.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "page_support.h"
#include "settings.h"
#include "settings_sheet.h"
#include "stage_stamps.h"
#include "startup_shortcut.h"

namespace {

// The run's saves reach SARNU.INI here, or the user learns plainly that they
// did not (the soft-reset question would then be about nothing).
bool CommitRun() {
  if (!g_settings->TempCopyActive) return true;
  const bool nothingSaved = g_settings->TempCopyUnusable != 0;
  if (g_settings->CommitTempCopy()) return true;
  MessageBoxW(nullptr,
              nothingSaved ? L"The settings were not saved: SARNU.INI could not be copied to "
                             L"\\Temp."
                           : L"The settings were not saved: SARNU.INI cannot be written. The "
                             L"changes are kept in \\Temp\\SARNU.INI.",
              L"SarnuSettings ERROR", MB_ICONSTOP);
  return false;
}

// Shows the sheet for a record that exists, then commits the run's saves
// with the record's end.
void RunSettingsProgram() {
  g_settings = new (std::nothrow) Settings();
  // Without a record there is nothing to show or save.
  if (!g_settings) return;
  StampStage(kSettingsRead);
  StartupShortcutChecked = StartupShortcutExists();
  InitialBulkToggleKey = g_settings->BulkToggleKey;
  SoftResetNeeded = false;
  CreateSettingsSheet(0);
  const bool saved = CommitRun();
  delete g_settings;
  g_settings = nullptr;
  if (saved && SoftResetNeeded) AskSoftReset();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  StampStage(kSettingsEntered);
  HANDLE mutex = CreateMutexW(nullptr, TRUE, L"SarnuSettingsMutex");
  if (!mutex) return 0;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
  }
  AppInstance = instance;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                        ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  RunSettingsProgram();
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}
