// The wedge's one reader-control object: opens and closes the reader, keeps
// the reader values that the data path reads (suffix, buffer type, time-out)
// and the state flags, and owns the DataReader state events.
#pragma once

#include <windows.h>

#include <cstdint>

#include "lock.h"

enum : int { kTriggerKeyTableSize = 255 };

class ScanDevice {
 public:
  // Fields at their initial values; KeepDecoding set to 1; the three state
  // events created (CamModeActive and Started reset, Stopped set). The reader
  // is the settings record's ScannerType (none without a record).
  explicit ScanDevice(HWND mainWindow);
  // Closes the state events; the reader itself is left as it is (shutdown
  // stops and closes it first).
  ~ScanDevice();
  ScanDevice(const ScanDevice&) = delete;
  ScanDevice& operator=(const ScanDevice&) = delete;

  // Returns the new IsOpen; 0 and nothing else when already open. Resets
  // Stopped and sets Started whatever the outcome.
  int Open(int reserved1, int reserved2);
  // 1 when the reader ended up closed; 0 and nothing else when not open.
  // Resets Started and CamModeActive and sets Stopped whatever the outcome.
  int Close();
  // on 1: (re)load the settings and open the reader; on 0: stop scanning,
  // clear the trigger keys and close. Returns the result of Open or Close.
  int Activate(int on = 1);
  int Deactivate() { return Activate(0); }
  // Ends a running scan.
  void StopScan();

  uint32_t ScanningKeys;
  uint8_t LzrLed;
  uint32_t PixLed;
  uint8_t LzrBuzzer;
  uint32_t PixBuzzer;
  uint32_t Vibrator;
  uint8_t SuffixChar;
  uint8_t BufferType;
  uint32_t Focus;
  uint32_t SwingAngle;
  uint32_t ScanTimeout;
  uint32_t BulkActive;
  uint32_t AimerActive;
  uint32_t IsOpen;
  uint32_t Scanning;
  HANDLE StartedEvent;
  HANDLE StoppedEvent;
  HANDLE CamModeActiveEvent;
  uint8_t TriggerKeyTable[kTriggerKeyTableSize];
  uint8_t SavedScanningType;
  uint32_t SavedDecodeMode[2];
  uint16_t SavedDecodeFlags;
  HWND Window;  // the main window, which every reader request goes through
  // The reader found when the settings record was built; kept here so that
  // the final close still knows its reader after the record is gone.
  int32_t ScannerType;
};

// The process's reader object; null before start-up step 6 and after exit.
extern ScanDevice* g_scanDevice;

// Whether the imager's blocking decode goes on; written under its lock.
extern uint32_t KeepDecoding;
extern Lock KeepDecodingLock;

// DataReader state event names.
inline constexpr wchar_t kStartedEventName[] = L"DataReader_Event_Started";
inline constexpr wchar_t kStoppedEventName[] = L"DataReader_Event_Stopped";
inline constexpr wchar_t kCamModeActiveEventName[] = L"DataReader_Event_CamModeActive";
