// Good-read feedback and the bulk toggle. The wedge switches the reader's own
// LED, buzzer and vibrator off, so every accepted barcode gets its signals
// from here: one long-running thread gives them barcode after barcode (a
// short thread stands in while it does not run), and the LED's flash, which
// waits out its hold, runs on a short thread of its own.
#include "notifications.h"

#include <windows.h>

#include <atomic>

#include "block_queue.h"
#include "bulk_run.h"
#include "counter_window.h"
#include "device_libraries.h"
#include "long_threads.h"
#include "process_globals.h"
#include "scan_device.h"
#include "settings.h"
#include "short_threads.h"
#include "terminal_model.h"
#include "thread_priority.h"
#include "wedge_events.h"
#include "wedge_messages.h"

volatile uint32_t LastFlashTick = 0;

namespace {

bool ToggleModeConfigured() {
  return g_settings && g_settings->BulkEnable != 0 && g_settings->BulkActivationMode == 1;
}

// Claims the flash for `now` unless the last one was no more than the spacing
// ago. Two barcodes accepted at the same moment must not both flash, so the
// claim is one compare-and-swap rather than a read and a later write.
bool ClaimLedFlash(uint32_t now) {
  const LONG last =
      InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&LastFlashTick), 0, 0);
  if (now - static_cast<uint32_t>(last) <= kLedFlashSpacingMs) return false;
  return InterlockedCompareExchange(reinterpret_cast<volatile LONG*>(&LastFlashTick),
                                    static_cast<LONG>(now), last) == last;
}

bool LedWanted(const ScanDevice& device) {
  return (device.ScannerType == kScannerLaser && device.LzrLed != 0) ||
         (device.ScannerType == kScannerImager && device.PixLed != 0);
}

template <int (*Procedure)()>
void StartCounted() {
  StartShortThread([](void*) { return Procedure(); });
}

// Two 300 ms tones 350 ms apart; the order tells on from off by ear.
void PlayBuzzerPair(int32_t firstFrequency, int32_t secondFrequency) {
  g_DvcLib.DvcStopBuzzer();
  g_DvcLib.DvcPlayBuzzer(4, firstFrequency, 300);
  Sleep(350);
  g_DvcLib.DvcStopBuzzer();
  g_DvcLib.DvcPlayBuzzer(4, secondFrequency, 300);
}

}  // namespace

int SignalGoodRead() {
  SetThreadPriorityCe(1);
  const ScanDevice* device = g_scanDevice;
  if (!device) return 0;
  if (LedWanted(*device) && ClaimLedFlash(GetTickCount())) {
    StartCounted<NotifyLEDThread>();
  }
  // The reader's own buzzer value was switched off by the wedge, so it says
  // nothing about whether the user wants the beep.
  if (ModelHasBuzzer(ModelCode)) {
    g_DvcLib.DvcStopBuzzer();
    g_DvcLib.DvcPlayBuzzer(3, 0, 0);
  }
  if (device->Vibrator != 0 && ModelHasVibrator(ModelCode)) g_DvcLib.DvcPlayVibrator(3, 0, 0, 0);
  return 1;
}

int SignalNotTyped() {
  if (ModelHasBuzzer(ModelCode)) {
    for (int i = 0; i < 3; ++i) {
      if (i) Sleep(150);
      g_DvcLib.DvcStopBuzzer();
      g_DvcLib.DvcPlayBuzzer(4, 1000, 100);
    }
  } else if (ModelHasVibrator(ModelCode)) {
    g_DvcLib.DvcPlayVibrator(3, 0, 0, 0);
    Sleep(400);
    g_DvcLib.DvcPlayVibrator(3, 0, 0, 0);
  }
  return 1;
}

void QueueNotTypedSignal() { StartCounted<SignalNotTyped>(); }

int NotifyLEDThread() {
  SetThreadPriorityCe(1);
  ThreadEvents events(L"NotifyLEDThread\r\nEvent\r\nERROR!",
                      {CreateEventW(nullptr, FALSE, FALSE, kEventSarnuLEDName)});
  if (!events.Ready()) return 0;
  // Wakes an older flash that still waits, so that it leaves the LED alone;
  // with none waiting the reset keeps this thread from waking itself.
  SetEvent(events.Own(1));
  ResetEvent(events.Own(1));
  g_DvcLib.DvcSetLED(2, 1, 4, 0);
  // A newer flash or the end leaves the LED to them; the hold's end (or a
  // failed wait) brings the bulk indicator back.
  events.waitMs = kLedFlashHoldMs;
  bool newerFlash = false;
  const ThreadEvents::LoopEnd how = events.Loop([&](size_t which) {
    newerFlash = which == 1;
    return false;
  });
  if (how != ThreadEvents::LoopEnd::kEnd && !newerFlash) {
    const ScanDevice* device = g_scanDevice;
    if (device && device->BulkActive && g_settings && g_settings->BulkActivationMode == 1) {
      g_DvcLib.DvcSetLED(BulkIndicatorColour(ModelCode), -1, 1, 1);
    }
  }
  return 1;
}

// Set while a ToggleBulkModeThread waits: every return of the wedge from
// its settings (the settings program, a new SARNU.INI) asks for the
// listener, and one is enough.
std::atomic<bool> g_toggleListening{false};

int ToggleBulkModeThread() {
  if (!ToggleModeConfigured() || g_toggleListening.exchange(true)) return 1;
  SetThreadPriorityCe(2);
  int result = 0;
  {
    ThreadEvents events(L"ToggleBulkModeThread\r\nEvent\r\nERROR!",
                        {CreateEventW(nullptr, FALSE, FALSE, kSarnuBulkEventName)});
    if (events.Ready()) {
      // A toggle asked while nobody listened is stale.
      ResetEvent(events.Own(1));
      const ThreadEvents::LoopEnd how = events.Loop([](size_t) {
        // Settings read since may have left toggle mode.
        if (ToggleModeConfigured()) PostMessageW(MainWindow, UM_TOGGLE_BULK, 0, 0);
        return true;
      });
      result = how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
    }
  }
  g_toggleListening.store(false);
  return result;
}

namespace {

// Good reads waiting for their signals, counted; null until the signal
// thread runs. Never closed: a reading thread may still count one in while
// the wedge ends.
std::atomic<HANDLE> g_goodReads{nullptr};

}  // namespace

int GoodReadSignalThread() {
  // The semaphore stays open when the thread ends (see g_goodReads), unless
  // the end event could not be had.
  HANDLE reads = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
  ThreadEvents events(nullptr, {reads}, nullptr);
  if (!events.Ready()) {
    if (reads) CloseHandle(reads);
    return 0;
  }
  g_goodReads.store(reads);
  const ThreadEvents::LoopEnd how = events.Loop([](size_t) {
    SignalGoodRead();
    return true;
  });
  g_goodReads.store(nullptr);
  return how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
}

void QueueGoodReadSignals() {
  HANDLE reads = g_goodReads.load();
  if (reads && ReleaseSemaphore(reads, 1, nullptr)) return;
  StartCounted<SignalGoodRead>();
}

void StartToggleBulkModeThread() { StartCounted<ToggleBulkModeThread>(); }

void ToggleBulkMode() {
  ScanDevice* device = g_scanDevice;
  if (!device) return;
  if (device->Scanning) {
    device->StopScan();
    UpdateCounterWindow(0);
  }
  device->BulkActive = !device->BulkActive;
  // The counter window takes no action on it; kept because other builds of
  // the counter may listen.
  if (g_counterWindow) PostMessageW(g_counterWindow, UM_COUNTER_SCAN, 2, 0);
  ClearBulkRun();
  const bool buzzer = ModelHasBuzzer(ModelCode);
  if (device->BulkActive) {
    g_DvcLib.DvcSetLED(BulkIndicatorColour(ModelCode), -1, 1, 1);
    if (buzzer) PlayBuzzerPair(2500, 3500);
    if (g_settings && g_settings->AimerMode) device->SwitchAimerMode(1);
  } else {
    g_DvcLib.DvcSetLED(0, 0, 0, 0);
    if (buzzer) PlayBuzzerPair(3500, 2500);
  }
}
