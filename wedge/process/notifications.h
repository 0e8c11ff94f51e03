// The wedge's own good-read signals (beep, vibration, LED flash) and the bulk
// toggle: the thread that turns "SarnuBulkEvent" into a main-window message
// and the toggle itself with its LED and buzzer signals.
#pragma once

#include <cstdint>

// Auto-reset: each new LED flash cancels the wait of the one before.
inline constexpr wchar_t kEventSarnuLEDName[] = L"EventSarnuLED";
// Auto-reset: signalled by SarnuBulk or any other program to toggle bulk mode.
inline constexpr wchar_t kSarnuBulkEventName[] = L"SarnuBulkEvent";

// Flashes closer together than this are dropped.
enum : uint32_t { kLedFlashSpacingMs = 200 };
// How long a flash keeps the LED before the bulk indicator comes back.
enum : uint32_t { kLedFlashHoldMs = 250 };

// Tick count of the last LED flash; 0 at start.
extern volatile uint32_t LastFlashTick;

// Good-read signals of one accepted barcode. Returns 1 (0 without a reader
// object).
int SignalGoodRead();
// One LED flash, and the bulk indicator restored afterwards in toggle mode
// unless a newer flash or the end came first. Returns 0 after an ownerless
// "NotifyLEDThread\r\nEvent\r\nERROR!" box, else 1.
int NotifyLEDThread();
// Posts UM_TOGGLE_BULK for every "SarnuBulkEvent" until EventSarnuEnd. Ends
// at once (returning 1) unless BulkEnable is on and BulkActivationMode is 1;
// 0 after a "ToggleBulkModeThread\r\nEvent\r\nERROR!" box.
int ToggleBulkModeThread();

// Long-running thread, started once by the entry procedure: the good-read
// signals of every accepted barcode, one after the other, at the priority
// SignalGoodRead takes. Starting a thread per barcode cost more than all
// else the wedge does for it, and slowed the typing beside it. Ends at
// EventSarnuEnd; 0 when its semaphore or the event cannot be had.
int GoodReadSignalThread();

// The good-read signals of one barcode: to the signal thread, or on a
// thread of their own while none runs. The data path never waits for
// feedback.
void QueueGoodReadSignals();
// The signal of a barcode read but not typed, on a thread of its own: three
// short low tones on models with a buzzer, else two pulses of the vibrator
// where there is one, so that it cannot pass for a good read.
void QueueNotTypedSignal();
int SignalNotTyped();
// The bulk toggle's listener; one at most listens.
void StartToggleBulkModeThread();

// The main window's answer to UM_TOGGLE_BULK, on the UI thread: stop a
// running scan, flip BulkActive, forget the bulk run, then the steady LED, a
// rising buzzer pair and the aimer back on when AimerMode asks (on), or the
// LED off and a falling pair (off).
void ToggleBulkMode();
