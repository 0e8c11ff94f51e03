// The trigger rules on Win32: presses and releases, in bulk and aimer mode,
// start and stop the reader object's scans and tell the counter.
#include "trigger_rules.h"

#include <windows.h>

#include "bulk_collection.h"
#include "bulk_run.h"
#include "counter_window.h"
#include "scan_device.h"
#include "settings.h"
#include "wedge_events.h"
#include "wedge_messages.h"

namespace {

const WCHAR* W(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

void StopRunningScan(ScanDevice& device) {
  if (!device.Scanning) return;
  device.StopScan();
  UpdateCounterWindow(0);
}

// Tells a waiting ForgetBulkRunThread that the run goes on. The entry
// procedure holds the event for the life of the process.
void SignalTriggerPressed() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, W(kEventSarnuTrigger));
  if (event) SetEvent(event);
}

}  // namespace

int ScanTrigger() {
  ScanDevice* device = g_scanDevice;
  const Settings* settings = g_settings;
  if (!device || !settings || device->Scanning) return 0;
  if (!device->BulkActive) {
    device->StartScan(device->AimerActive ? 0 : device->ScanTimeout);
    return 1;
  }
  ForgetEndedRunAtPress(*settings);
  if (BulkLimitReached(*settings, BulkCount.load())) return 0;
  BulkRunEndedAtLimit.store(false);
  device->StartScan(0);
  UpdateCounterWindow(1);
  return 1;
}

void OnTriggerPressed() {
  ScanDevice* device = g_scanDevice;
  const Settings* settings = g_settings;
  if (!device || !settings) return;
  if (device->BulkActive) {
    // At the limit the run waits to be cleared; presses do nothing until then.
    if (BulkLimitReached(*settings, BulkCount.load())) return;
    if (settings->BulkTriggerMode == 0 || (settings->BulkTriggerMode == 1 && !device->Scanning)) {
      SignalTriggerPressed();
      ScanTrigger();
    } else if (settings->BulkTriggerMode == 1) {
      // The second press of the toggle ends the run.
      device->StopScan();
      UpdateCounterWindow(0);
      if (!device->AimerActive) StartForgetBulkRunThread();
    }
    return;
  }
  if (settings->AimerMode) {
    StopRunningScan(*device);
    device->SwitchAimerMode(1);
  }
  ScanTrigger();
}

namespace {

// Aimer mode: the press aimed, the release scans; a release after that scan
// brings the aimer back.
void ReleaseInAimerMode(ScanDevice& device) {
  StopRunningScan(device);
  if (device.AimerActive) {
    device.SwitchAimerMode(0);
    ScanTrigger();
  } else {
    device.SwitchAimerMode(1);
  }
}

}  // namespace

void EndBulkScanFromOutside() {
  ScanDevice* device = g_scanDevice;
  if (!device || !device->BulkActive || !device->Scanning) return;
  StartForgetBulkRunThread();
  StopRunningScan(*device);
}

void OnTriggerReleased() {
  ScanDevice* device = g_scanDevice;
  const Settings* settings = g_settings;
  if (!device || !settings) return;
  if (device->BulkActive) {
    if (BulkLimitReached(*settings, BulkCount.load())) return;
    if (settings->BulkTriggerMode == 0) {
      StartForgetBulkRunThread();
      StopRunningScan(*device);
      return;
    }
    if (settings->AimerMode) ReleaseInAimerMode(*device);
    return;
  }
  if (!settings->AimerMode) {
    StopRunningScan(*device);
    return;
  }
  ReleaseInAimerMode(*device);
}

void EndPressScan() {
  ScanDevice* device = g_scanDevice;
  if (!device) return;
  StopRunningScan(*device);
  if (g_settings && g_settings->AimerMode) PostMessageW(device->Window, UM_AIMER_ON, 0, 0);
}

void EndRunAtLimit() {
  ScanDevice* device = g_scanDevice;
  const Settings* settings = g_settings;
  if (!device || !settings) return;
  StopRunningScan(*device);
  if (settings->BulkTriggerMode == 1 && settings->AimerMode) device->SwitchAimerMode(1);
  StartForgetBulkRunThread();
}
