// The wedge's one reader-control object: opens and closes the reader, keeps
// the reader values that the data path reads (suffix, buffer type, time-out)
// and the state flags, and owns the DataReader state events.
#pragma once

#include <windows.h>

#include <cstdint>

#include "reader_state.h"

enum : int { kTriggerKeyTableSize = 255 };

class ScanDevice : public ReaderState {
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
  // Stopped and sets Started whatever the outcome (but within Reopen).
  int Open(int reserved1, int reserved2);
  // 1 when the reader ended up closed; 0 and nothing else when not open.
  // Resets Started and CamModeActive and sets Stopped whatever the outcome
  // (but within Reopen).
  int Close();
  // (Re)loads the settings and opens the reader; also reads the reader's
  // values, hands its keys and notifications to the wedge and sets its scan
  // or decode mode. Ends at the first failing reader call (after that call's
  // box), returning 0; else returns the result of Open.
  int Activate();
  // Stops scanning, clears the trigger keys and closes; returns Close's
  // result.
  int Deactivate();
  // A new SARNU.INI that the reader must be told of: the reader closed and
  // activated again, with the trigger keys kept until the activation builds
  // them anew and no state event signalled, as no client asked for it; only
  // a reader that was open and did not come back signals Stopped. Returns
  // what Activate returns.
  int Reopen();
  // Starts a scan: the laser with `timeoutMs` (0 runs until stopped), the
  // imager on an ImagerReadThread that picks its own time-out; in the
  // imager's aimer mode only the aimer lights. Returns Scanning as it is then.
  int StartScan(uint32_t timeoutMs);
  // Ends a running scan (the imager's aimer mode only puts the aimer out).
  // 1 when no scan runs afterwards, 0 when none ran or the reader refused.
  int StopScan();

  // Laser: close, set focus 0 and swing angle 3 - AimerWidth (or the fetched
  // values when switching off; models with focus control only), flag, reopen.
  // Imager: only the flag. Returns 0 after a failure and its box, else 1
  // (also when already in that mode). After a focus or swing-angle failure
  // the reader stays closed and AimerActive keeps its value.
  int SwitchAimerMode(int on);
  // Deletes the user-defined assignments of one hardware key on planes 1, 3
  // and 4, leaving the user-key state as it was.
  void ReleaseUserKey(int hardwareKey);
  // Clears the table; with enable non-zero marks the virtual keys of the
  // ScanningKeys bits in the model's layout.
  void BuildTriggerKeyTable(int enable);
  // The caller keeps virtualKey below kTriggerKeyTableSize.
  int IsTriggerKey(int virtualKey) const { return TriggerKeyTable[virtualKey]; }
  // Read the reader's own values / switch its keys and notifications off and
  // set the wedge's scan or decode mode. Both stop at the first failing call
  // with its box ("Sarnu ERROR!") and return 0; 1 when everything passed.
  // Values read before a failure stay. Apply ends with the trigger-key table.
  int FetchReaderSettings();
  int ApplyWedgeSettings();
  // A client's camera-mode request: reader reconfigured for framed output
  // in the settings record only (not saved), then the three events say so.
  // Returns 0 after a failure (no event is signalled then), else 1.
  int EnterCamMode();

 private:
  // The activation steps; 0 when there is no reader or a step failed (its
  // box shown), 1 when all ran. *result gets what Activate returns.
  int ActivateSteps(int* result);
  void LoadReaderConfiguration();
  void SignalOpened();
  void SignalClosed();

  bool reopening_ = false;  // Open and Close keep the state events as they are

 public:
  uint32_t ScanningKeys;
  uint8_t LzrLed;
  uint32_t PixLed;
  uint8_t LzrBuzzer;
  uint32_t PixBuzzer;
  uint32_t Vibrator;
  // SuffixChar, BufferType, ScanTimeout, BulkActive, AimerActive, Scanning
  // and ScanStarts are the ReaderState the data path reads.
  uint32_t Focus;
  uint32_t SwingAngle;
  uint32_t IsOpen;
  // Set by EnterCamMode, cleared by every activation and deactivation.
  uint32_t InCamMode;
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

// DataReader state event names.
inline constexpr wchar_t kStartedEventName[] = L"DataReader_Event_Started";
inline constexpr wchar_t kStoppedEventName[] = L"DataReader_Event_Stopped";
inline constexpr wchar_t kCamModeActiveEventName[] = L"DataReader_Event_CamModeActive";
