// The wedge stepping aside for a settings or set-up program and coming back:
// the started program owns the reader and the settings file until it ends.
#include "setup_programs.h"

#include "bulk_run.h"
#include "key_output.h"
#include "keyboard_hook.h"
#include "notifications.h"
#include "process_globals.h"
#include "program_start.h"
#include "resource.h"
#include "scan_device.h"
#include "settings.h"

const wchar_t* SetupProgramPath(WORD command, int scannerType) {
  if (command == IDM_EXTENSION) return L"\\Windows\\SarnuSettings.exe";
  if (command != IDM_SETTING) return nullptr;
  if (scannerType == kScannerLaser) return L"\\Windows\\LZRSet.exe";
  if (scannerType == kScannerImager) return L"\\Windows\\PIXSet.exe";
  return nullptr;
}

namespace {

void StepAside() {
  if (g_scanDevice) g_scanDevice->Deactivate();
  if (g_counterWindow) {
    KillTimer(g_counterWindow, 1);
    // Its own WM_DESTROY forgets the handle.
    DestroyWindow(g_counterWindow);
  }
  ClearBulkRun();
  RemoveKeyboardHook();
}

void ComeBack() {
  InstallKeyboardHook(g_hInstance, KeyboardHookProc);
  if (g_scanDevice) g_scanDevice->Activate();
}

}  // namespace

void RunSetupProgram(WORD command) {
  StepAside();
  const int scannerType = g_settings ? g_settings->ScannerType : kScannerNone;
  const wchar_t* program = SetupProgramPath(command, scannerType);
  if (!program) {
    // No reader: nothing was open, nothing to activate again.
    InstallKeyboardHook(g_hInstance, KeyboardHookProc);
    return;
  }
  void* process = nullptr;
  if (!StartTerminalProgram(program, &process)) {
    // A missing tool must not leave the trigger dead until the wedge is
    // restarted. The earlier ToggleBulkModeThread still waits and the
    // settings are unchanged, so no new one is needed.
    ComeBack();
    return;
  }
  WaitForProgramEnd(process);
  if (command == IDM_EXTENSION) LoadSettingsAndProfiles();
  ComeBack();
  StartToggleBulkModeThread();
}

void ReloadSettingsFile() {
  StepAside();
  ComeBack();
  StartToggleBulkModeThread();
}
