// The reader object's construction, Open and Close, and the first form of
// activation: what start-up and exit need. Reading the reader's own values
// and switching its keys and notifications over to the wedge come later.
#include "scan_device.h"

#include <cstring>

#include "device_libraries.h"
#include "settings.h"

ScanDevice* g_scanDevice = nullptr;
uint32_t KeepDecoding = 0;
Lock KeepDecodingLock;

ScanDevice::ScanDevice(HWND mainWindow)
    : ScanningKeys(0),
      LzrLed(0),
      PixLed(0),
      LzrBuzzer(0),
      PixBuzzer(0),
      Vibrator(0),
      SuffixChar(0),
      BufferType(0),
      Focus(0),
      SwingAngle(0),
      ScanTimeout(0),
      BulkActive(0),
      AimerActive(0),
      IsOpen(0),
      Scanning(0),
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
  if (StoppedEvent) ResetEvent(StoppedEvent);
  if (StartedEvent) SetEvent(StartedEvent);
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
  if (StartedEvent) ResetEvent(StartedEvent);
  if (CamModeActiveEvent) ResetEvent(CamModeActiveEvent);
  if (StoppedEvent) SetEvent(StoppedEvent);
  return IsOpen ? 0 : 1;
}

int ScanDevice::Activate(int on) {
  g_DvcLib.DvcSetLED(0, 0, 0, 0);
  if (!on) {
    StopScan();
    std::memset(TriggerKeyTable, 0, sizeof TriggerKeyTable);
    return Close();
  }
  if (g_settings) g_settings->Load();
  if (ScannerType == kScannerNone) return 0;
  AimerActive = 0;
  BulkActive = g_settings && g_settings->BulkEnable && g_settings->BulkActivationMode == 0;
  return Open(0, 0);
}

void ScanDevice::StopScan() {
  if (!Scanning) return;
  if (ScannerType == kScannerLaser) {
    // A failing stop leaves the scan marked as running, as the reader says.
    if (g_LZReadLib.LZRStopScanning() == 0) Scanning = 0;
  } else {
    Scanning = 0;
  }
}
