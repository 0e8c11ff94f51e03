// The wedge stepping aside for a settings or set-up program and coming back:
// the started program owns the reader and the settings file until it ends.
#include "setup_programs.h"

#include "bulk_run.h"
#include "device_libraries.h"
#include "keyboard_hook.h"
#include "notifications.h"
#include "process_globals.h"
#include "program_start.h"
#include "resource.h"
#include "scan_device.h"
#include "settings.h"
#include "settings_records.h"
#include "terminal_model.h"
#include "terminal_settings.h"

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

namespace {

// The keys of SARNU.INI that an activation hands to the reader itself; a
// change of any other key needs no more than the record read again.
struct ReaderKeys {
  int32_t bulkEnable;  // the imager's decode mode
  int32_t aimerMode;
  uint8_t aimerWidth;  // the laser's swing angle while aiming
};

ReaderKeys ReaderKeysNow() {
  return {g_settings->BulkEnable, g_settings->AimerMode, g_settings->AimerWidth};
}

bool ReaderKeysDiffer(const ReaderKeys& a, const ReaderKeys& b, int scannerType) {
  if (scannerType == kScannerImager && (a.bulkEnable != 0) != (b.bulkEnable != 0)) return true;
  if ((a.aimerMode != 0) != (b.aimerMode != 0)) return true;
  return a.aimerMode != 0 && a.aimerWidth != b.aimerWidth;
}

bool ToggleMode() { return g_settings->BulkEnable != 0 && g_settings->BulkActivationMode == 1; }

}  // namespace

void ReloadSettingsFile() {
  ScanDevice* device = g_scanDevice;
  if (!device || !g_settings) return;
  const ReaderKeys before = ReaderKeysNow();
  const bool wasToggleMode = ToggleMode();
  const uint32_t chosenBulk = device->BulkActive;
  NoteSettingsFileRead();
  LoadSettingsAndProfiles();
  // The hook stays on throughout: a press while the file is read is still
  // the wedge's, never the program's in front.
  const bool reopened = ReaderKeysDiffer(before, ReaderKeysNow(), device->ScannerType);
  if (reopened) {
    device->Reopen();
  } else {
    device->BulkActive = g_settings->BulkEnable && g_settings->BulkActivationMode == 0;
    ApplyBootSettings(*g_settings);
  }
  // What the worker switched with the function key stays while the new file
  // keeps toggle mode; only the file's own change of mode decides anew.
  if (wasToggleMode && ToggleMode()) device->BulkActive = chosenBulk;
  const bool ledWasOn = wasToggleMode && chosenBulk;
  const bool ledOn = ToggleMode() && device->BulkActive;
  // The activation of a reopen put the LED out.
  if (ledOn && reopened) g_DvcLib.DvcSetLED(BulkIndicatorColour(ModelCode), -1, 1, 1);
  if (ledWasOn && !ledOn && !reopened) g_DvcLib.DvcSetLED(0, 0, 0, 0);
  StartToggleBulkModeThread();
}
