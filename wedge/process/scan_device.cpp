// The reader object: construction, Open and Close, activation and camera
// mode, aimer mode, the trigger-key table, and the reader values it reads
// and changes. Every failing reader call ends its operation after one box.
#include "scan_device.h"

#include <cstring>
#include <new>

#include "device_libraries.h"
#include "ini_file.h"
#include "reader_input.h"
#include "process_globals.h"
#include "settings.h"
#include "settings_records.h"
#include "terminal_model.h"
#include "terminal_settings.h"

ScanDevice* g_scanDevice = nullptr;

ScanDevice::ScanDevice(HWND mainWindow)
    : ScanningKeys(0),
      LzrLed(0),
      PixLed(0),
      LzrBuzzer(0),
      PixBuzzer(0),
      Vibrator(0),
      Focus(0),
      SwingAngle(0),
      IsOpen(0),
      InCamMode(0),
      StartedEvent(nullptr),
      StoppedEvent(nullptr),
      CamModeActiveEvent(nullptr),
      TriggerKeyTable{},
      SavedScanningType(1),
      SavedDecodeMode{0, 10},
      SavedDecodeFlags(0),
      Window(mainWindow),
      ScannerType(g_settings ? g_settings->ScannerType : kScannerNone) {
  KeepDecodingLock.Enter();
  KeepDecoding = 1;
  KeepDecodingLock.Leave();
  StartedEvent = CreateEventW(nullptr, FALSE, FALSE, kStartedEventName);
  StoppedEvent = CreateEventW(nullptr, FALSE, FALSE, kStoppedEventName);
  CamModeActiveEvent = CreateEventW(nullptr, FALSE, FALSE, kCamModeActiveEventName);
  // A client that asks before the wedge has opened the reader sees "stopped".
  if (CamModeActiveEvent) ResetEvent(CamModeActiveEvent);
  if (StartedEvent) ResetEvent(StartedEvent);
  if (StoppedEvent) SetEvent(StoppedEvent);
}

ScanDevice::~ScanDevice() {
  if (StartedEvent) CloseHandle(StartedEvent);
  if (StoppedEvent) CloseHandle(StoppedEvent);
  if (CamModeActiveEvent) CloseHandle(CamModeActiveEvent);
}

int ScanDevice::Open(int reserved1, int reserved2) {
  if (IsOpen) return 0;
  switch (ScannerType) {
    case kScannerLaser:
      IsOpen = g_LZReadLib.LZROpen(reserved1, reserved2) == 0;
      break;
    case kScannerImager: {
      // Connect even when the open failed: the library may already be open.
      const int32_t opened = g_PixLib.PixOpen();
      const int32_t connected = g_PixLib.PixConnect();
      IsOpen = opened == 0 && connected == 0;
      break;
    }
    default:
      IsOpen = 0;
      break;
  }
  if (!reopening_) SignalOpened();
  return int(IsOpen);
}

int ScanDevice::Close() {
  if (!IsOpen) return 0;
  switch (ScannerType) {
    case kScannerLaser:
      IsOpen = g_LZReadLib.LZRClose() != 0;
      break;
    case kScannerImager: {
      const int32_t disconnected = g_PixLib.PixDisconnect();
      const int32_t closed = g_PixLib.PixClose();
      IsOpen = disconnected != 0 || closed != 0;
      break;
    }
    default:
      IsOpen = 0;
      break;
  }
  if (!reopening_) SignalClosed();
  return IsOpen ? 0 : 1;
}

void ScanDevice::SignalOpened() {
  if (StoppedEvent) ResetEvent(StoppedEvent);
  if (StartedEvent) SetEvent(StartedEvent);
}

void ScanDevice::SignalClosed() {
  if (StartedEvent) ResetEvent(StartedEvent);
  if (CamModeActiveEvent) ResetEvent(CamModeActiveEvent);
  if (StoppedEvent) SetEvent(StoppedEvent);
}

namespace {

// Shows the failure and gives the value that ends the operation.
int Fail(const wchar_t* text) {
  MessageBoxW(nullptr, text, L"Sarnu ERROR!", MB_OK);
  return 0;
}

// The imager's own settings file; false when the device cannot say where.
bool ImagerSettingsPath(WCHAR (&path)[kDvcSystemNameUnits]) {
  path[0] = 0;
  const bool found = g_DvcLib.DvcGetSystemName(kDvcSystemNameImager, path) == 1;
  // The device promises a terminated text only on success; never trust more.
  path[kDvcSystemNameUnits - 1] = 0;
  return found;
}

}  // namespace

void ScanDevice::ReleaseUserKey(int hardwareKey) {
  const int32_t state = g_DvcLib.DvcGetUserDefineKeyState();
  g_DvcLib.DvcDeleteUserDefineKeyEx(1, hardwareKey);
  g_DvcLib.DvcDeleteUserDefineKeyEx(3, hardwareKey);
  g_DvcLib.DvcDeleteUserDefineKeyEx(4, hardwareKey);
  // The deletions take effect only while user keys are on; put back "off".
  g_DvcLib.DvcSetUserDefineKeyState(1);
  if (state == 0) g_DvcLib.DvcSetUserDefineKeyState(0);
}

void ScanDevice::BuildTriggerKeyTable(int enable) {
  std::memset(TriggerKeyTable, 0, sizeof TriggerKeyTable);
  if (!enable) return;
  const uint32_t keys = ScanningKeys;
  if (ModelUsesKeyLayoutB(ModelCode)) {
    if (keys & 0x001) {
      ReleaseUserKey(0);
      TriggerKeyTable[234] = 1;
    }
    if (keys & 0x002) {
      ReleaseUserKey(1);
      TriggerKeyTable[233] = 1;
    }
    if (keys & 0x080) TriggerKeyTable[235] = 1;
    if (keys & 0x100) {
      ReleaseUserKey(33);
      TriggerKeyTable[230] = 1;
    }
  } else {
    if (keys & 0x001) {
      ReleaseUserKey(0);
      TriggerKeyTable[135] = TriggerKeyTable[139] = 1;
    }
    if (keys & 0x002) {
      ReleaseUserKey(1);
      TriggerKeyTable[132] = TriggerKeyTable[142] = 1;
    }
    // The side key of these models always scans, whatever the reader says.
    TriggerKeyTable[137] = 1;
    if (keys & 0x100) {
      ReleaseUserKey(33);
      TriggerKeyTable[131] = TriggerKeyTable[138] = 1;
    }
  }
  static const struct {
    uint32_t bit;
    int hardwareKey;
    int virtualKey;
  } kArrowKeys[] = {{0x008, 2, 37}, {0x010, 3, 39}, {0x020, 18, 38}, {0x040, 19, 40}};
  for (const auto& k : kArrowKeys) {
    if (!(keys & k.bit)) continue;
    ReleaseUserKey(k.hardwareKey);
    TriggerKeyTable[k.virtualKey] = 1;
  }
}

int ScanDevice::FetchReaderSettings() {
  const uint32_t model = ModelCode;
  if (ScannerType == kScannerLaser) {
    if (g_LZReadLib.LZRGetScanningKey(&ScanningKeys) != 0) {
      return Fail(L"Error fetching\r\nScanning Keys!");
    }
    if (g_LZReadLib.LZRGetLED(&LzrLed) != 0) return Fail(L"Error fetching\r\nLED Notification!");
    if (ModelHasBuzzer(model) && g_LZReadLib.LZRGetBuzzer(&LzrBuzzer) != 0) {
      return Fail(L"Error fetching\r\nBuzzer Notification!");
    }
    if (ModelHasVibrator(model) && g_LZReadLib.LZRGetVibrator(&Vibrator) != 0) {
      return Fail(L"Error fetching\r\nVibrator Notification!");
    }
    if (g_LZReadLib.LZRGetSuffixChar(&SuffixChar) != 0) {
      return Fail(L"Error fetching\r\nSuffix Char!");
    }
    if (g_LZReadLib.LZRGetBuffType(&BufferType) != 0) {
      return Fail(L"Error fetching\r\nBuffer Type!");
    }
    if (ModelHasFocusControl(model)) {
      if (g_LZReadLib.LZRGetFocus(&Focus) != 0) return Fail(L"Error fetching\r\nFocus Setting!");
      if (g_LZReadLib.LZRGetSwingAngle(&SwingAngle) != 0) {
        return Fail(L"Error fetching\r\nSwing Angle!");
      }
    }
    if (g_LZReadLib.LZRGetScanningTimeout(&ScanTimeout) != 0) {
      return Fail(L"Error fetching\r\nScanning Timeout!");
    }
    return 1;
  }
  if (ScannerType != kScannerImager) return 1;
  // The imager has no scanning-key setting of its own: the keys follow the model.
  ScanningKeys = ImagerScanningKeys(model);
  if (g_PixLib.PixGetLED(&PixLed) != 0) return Fail(L"Error fetching\r\nLED Notification!");
  if (ModelHasBuzzer(model) && g_PixLib.PixGetBuzzer(&PixBuzzer) != 0) {
    return Fail(L"Error fetching\r\nBuzzer Notification!");
  }
  if (ModelHasVibrator(model) && g_PixLib.PixGetVibrator(&Vibrator) != 0) {
    return Fail(L"Error fetching\r\nVibrator Notification!");
  }
  WCHAR path[kDvcSystemNameUnits];
  if (!ImagerSettingsPath(path)) {
    // The data path still needs a usable output type and time-out.
    BufferType = 4;
    ScanTimeout = 3000;
    return Fail(L"Error fetching\r\nSuffix Char!");
  }
  const char16_t* file = reinterpret_cast<const char16_t*>(path);
  SuffixChar = uint8_t(IniGetInt(u"PIXRead", u"Add Suffix", 0, file));
  BufferType = IniGetInt(u"PIXRead", u"Output", 1, file) == 0 ? 3 : 4;
  ScanTimeout = uint32_t(IniGetInt(u"PIXRead", u"Timeout", 3000, file));
  return 1;
}

int ScanDevice::ApplyWedgeSettings() {
  const uint32_t model = ModelCode;
  if (ScannerType == kScannerLaser) {
    if (g_LZReadLib.LZRSetScanningKey(0) != 0) return Fail(L"Error resetting\r\nScanning Keys!");
    if (g_LZReadLib.LZRSetLED(0) != 0) return Fail(L"Error resetting\r\nLED Notification!");
    if (ModelHasBuzzer(model) && g_LZReadLib.LZRSetBuzzer(0) != 0) {
      return Fail(L"Error resetting\r\nBuzzer Notification!");
    }
    if (ModelHasVibrator(model) && g_LZReadLib.LZRSetVibrator(0) != 0) {
      return Fail(L"Error resetting\r\nVibrator Notification!");
    }
    if (g_LZReadLib.LZRGetScanningType(&SavedScanningType) != 0) {
      return Fail(L"Error reading\r\nLZR Scanning Type!");
    }
    if (g_LZReadLib.LZRSetScanningType(1) != 0) return Fail(L"Error setting\r\nLZR Scanning Type!");
  } else if (ScannerType == kScannerImager) {
    if (g_PixLib.PixSetLED(0) != 0) return Fail(L"Error resetting\r\nLED Notification!");
    if (ModelHasBuzzer(model) && g_PixLib.PixSetBuzzer(0) != 0) {
      return Fail(L"Error resetting\r\nBuzzer Notification!");
    }
    if (ModelHasVibrator(model) && g_PixLib.PixSetVibrator(0) != 0) {
      return Fail(L"Error resetting\r\nVibrator Notification!");
    }
    if (g_PixLib.PixGetDecodeMode(&SavedDecodeMode[0], &SavedDecodeMode[1], &SavedDecodeFlags) !=
        0) {
      return Fail(L"Error reading\r\nPIX Decode Mode!");
    }
    // Bulk decoding keeps going whether or not bulk mode is toggled on now.
    const bool bulk = g_settings && g_settings->BulkEnable;
    const int32_t r =
        bulk ? g_PixLib.PixSetDecodeMode(1, 10, 0) : g_PixLib.PixSetDecodeMode(0, 1, 0);
    if (r != 0) return Fail(L"Error setting\r\nPIX Decode Mode!");
  } else {
    return 1;
  }
  BuildTriggerKeyTable(1);
  return 1;
}

int ScanDevice::SwitchAimerMode(int on) {
  if (ScannerType == kScannerImager) {
    AimerActive = on ? 1 : 0;
    return 1;
  }
  if (ScannerType != kScannerLaser) return 1;
  if (bool(on) == bool(AimerActive)) return 1;
  Close();
  if (ModelHasFocusControl(ModelCode)) {
    if (on) {
      const int width = g_settings ? g_settings->AimerWidth : 0;
      if (g_LZReadLib.LZRSetFocus(0) != 0) return Fail(L"Error setting\r\nFocus Setting!");
      if (g_LZReadLib.LZRSetSwingAngle(uint32_t(3 - width)) != 0) {
        return Fail(L"Error setting\r\nSwing Angle!");
      }
    } else {
      if (g_LZReadLib.LZRSetFocus(Focus) != 0) return Fail(L"Error resetting\r\nFocus Setting!");
      if (g_LZReadLib.LZRSetSwingAngle(SwingAngle) != 0) {
        return Fail(L"Error resetting\r\nSwing Angle!");
      }
    }
  }
  AimerActive = on ? 1 : 0;
  if (!Open(0, 0)) return Fail(L"Error reopening Scanner\r\nafter Aimer\r\nMode switch!");
  return 1;
}

// The reader's own configuration, or its defaults saved as that configuration
// when it has none yet.
void ScanDevice::LoadReaderConfiguration() {
  if (ScannerType == kScannerLaser) {
    if (g_LZReadLib.LZRLoadConfigFile() == kLzrConfigMissing) {
      g_LZReadLib.LZRSetDefaultSymbologyEx();
      g_LZReadLib.LZRSaveConfigFile();
    } else {
      g_LZReadLib.LZRSetDefaultSymbology();
    }
    g_LZReadLib.LZRSetScanningNotification(2, 0);
  } else if (ScannerType == kScannerImager) {
    WCHAR path[kDvcSystemNameUnits];
    if (ImagerSettingsPath(path) && g_PixLib.PixLoadConfigFile(path) == kPixConfigNotLoaded) {
      g_PixLib.PixSaveConfigFile(path);
    }
  }
}

int ScanDevice::Activate() {
  InCamMode = 0;
  int result = 0;
  ActivateSteps(&result);
  return result;
}

int ScanDevice::Deactivate() {
  InCamMode = 0;
  g_DvcLib.DvcSetLED(0, 0, 0, 0);
  StopScan();
  std::memset(TriggerKeyTable, 0, sizeof TriggerKeyTable);
  return Close();
}

int ScanDevice::StartScan(uint32_t timeoutMs) {
  if (Scanning) return 0;
  switch (ScannerType) {
    case kScannerLaser:
      Scanning = g_LZReadLib.LZRStartScanning(timeoutMs) == 0;
      break;
    case kScannerImager: {
      if (AimerActive) {
        g_PixLib.PixAimer(1, 0);
        break;
      }
      Scanning = 1;
      // No decode thread, no scan: a release must not cancel a phantom.
      if (!StartImagerDecode(*this)) Scanning = 0;
      break;
    }
    default:
      Scanning = 0;
      break;
  }
  if (Scanning) ScanStarts.fetch_add(1);
  return int(Scanning);
}

int ScanDevice::StopScan() {
  if (!Scanning) return 0;
  switch (ScannerType) {
    case kScannerLaser:
      // A failing stop leaves the scan marked as running, as the reader says.
      if (g_LZReadLib.LZRStopScanning() == 0) Scanning = 0;
      break;
    case kScannerImager:
      if (AimerActive) {
        g_PixLib.PixAimer(0, 0);
        break;
      }
      StopImagerDecode();
      if (g_PixLib.PixCancelDecode() == 0) Scanning = 0;
      break;
    default:
      return 0;
  }
  return Scanning ? 0 : 1;
}

int ScanDevice::Reopen() {
  const bool wasOpen = IsOpen != 0;
  InCamMode = 0;
  reopening_ = true;
  StopScan();
  // The trigger-key table stays: a press while the reader is away must not
  // reach the program in front.
  Close();
  int result = 0;
  ActivateSteps(&result);
  reopening_ = false;
  if (wasOpen && !IsOpen) SignalClosed();
  return result;
}

int ScanDevice::ActivateSteps(int* result) {
  *result = 0;
  g_DvcLib.DvcSetLED(0, 0, 0, 0);
  NoteSettingsFileRead();
  LoadSettingsAndProfiles();
  if (ScannerType == kScannerNone) return 0;
  if (ScannerType == kScannerImager) *result = Open(0, 0);
  LoadReaderConfiguration();
  if (!FetchReaderSettings()) return 0;
  if (ScannerType == kScannerLaser) g_LZReadLib.LZRSetBuffType(0);
  if (!ApplyWedgeSettings()) return 0;
  AimerActive = 0;
  if (g_settings && g_settings->AimerMode && !SwitchAimerMode(1)) return 0;
  BulkActive = g_settings && g_settings->BulkEnable && g_settings->BulkActivationMode == 0;
  if (g_settings) ApplyBootSettings(*g_settings);
  // Reopened already when the aimer mode was switched on: this Open gives 0.
  if (ScannerType == kScannerLaser) *result = Open(0, 0);
  return 1;
}

int ScanDevice::EnterCamMode() {
  int opened = 0;
  if (!ActivateSteps(&opened)) return 0;
  if (ScannerType == kScannerImager) {
    if (!IsOpen) Open(0, 0);
    LoadReaderConfiguration();
    if (!FetchReaderSettings()) return 0;
    SuffixChar = 0;
  } else {
    StopScan();
    Close();
    LoadReaderConfiguration();
    if (!FetchReaderSettings()) return 0;
    // The reader now appends nothing, and the wedge must know it: with the
    // fetched code kept it would take the last data characters for the
    // suffix and type them behind the closing "]]]".
    if (g_LZReadLib.LZRSetSuffixChar(4) == 0) SuffixChar = 4;
  }
  if (g_settings) {
    // The output thread may be filtering with this record: it changes under
    // the records lock, so a barcode is framed wholly before or after.
    LockHolder hold(RecordsLock());
    // Held only until the next Load, which every activation does.
    ClearProfiles();
    g_settings->SetBulkEnable(0);
    g_settings->ResetFilterDefaults();
    g_settings->SetPreamble(u"[[[");
    g_settings->SetPostamble(u"]]]");
    g_settings->SetPreambleEnable(1);
    g_settings->SetPostambleEnable(1);
    g_settings->SetAimerMode(0);
  }
  if (!ApplyWedgeSettings()) return 0;
  AimerActive = 0;
  if (!SwitchAimerMode(0)) return 0;
  BulkActive = 0;
  if (ScannerType == kScannerLaser) {
    if (g_settings) ApplyBootSettings(*g_settings);
    Open(0, 0);
  }
  if (StoppedEvent) ResetEvent(StoppedEvent);
  if (StartedEvent) SetEvent(StartedEvent);
  if (CamModeActiveEvent) SetEvent(CamModeActiveEvent);
  InCamMode = 1;
  return 1;
}
