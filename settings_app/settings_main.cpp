// SarnuSettings: one copy at a time edits SARNU.INI in the settings sheet.
// Every save of the run goes to the temporary copy, which replaces the real
// file once, when the record is destroyed; only then may the device reset.
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "page_support.h"
#include "reader_detection.h"
#include "settings.h"
#include "settings_sheet.h"

namespace {

// Shows the sheet for a record that exists, then commits the run's saves
// with the record's end.
void RunSettingsProgram() {
  g_settings = new (std::nothrow) Settings();
  // Without a record there is nothing to show or save.
  if (!g_settings) return;
  StartupShortcutChecked = StartupShortcutExists();
  InitialBulkToggleKey = g_settings->BulkToggleKey;
  SoftResetNeeded = false;
  CreateSettingsSheet(0);
  delete g_settings;  // commits "\Temp\SARNU.INI" when a page saved
  g_settings = nullptr;
  if (SoftResetNeeded) AskSoftReset();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
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
