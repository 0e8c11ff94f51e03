// Bulk collection on Win32: AcceptBarcode on the reading threads and the
// thread that forgets a finished run. The run's bookkeeping itself is in
// bulk_run.cpp; nothing here holds its lock while it waits or sends.
#include <windows.h>

#include <atomic>

#include "barcode.h"
#include "block_queue.h"
#include "bulk_collection.h"
#include "bulk_run.h"
#include "counter_window.h"
#include "data_path_notices.h"
#include "foreground_program.h"
#include "lock.h"
#include "long_threads.h"
#include "reader_state.h"
#include "scan_log.h"
#include "settings.h"
#include "settings_records.h"
#include "short_threads.h"
#include "stage_stamps.h"
#include "thread_priority.h"
#include "wedge_events.h"
#include "wedge_messages.h"

namespace {

const WCHAR* W(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

// The output thread's wake-up, opened once: the entry procedure holds the
// event for the life of the process.
HANDLE DataAvailableEvent() {
  static const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, W(kEventSarnuDataAvailable));
  return event;
}

// The counter follows the run: created when the run reaches its threshold
// (on the main window's thread, which owns it), then shown the new count.
void ShowCountInCounter(const Settings& settings, uint32_t count) {
  if (settings.CounterEnabled && count == settings.CounterEnabledAfterScans && !g_counterWindow &&
      g_dataPathNotices.counterWanted) {
    g_dataPathNotices.counterWanted();
  }
  HWND counter = g_counterWindow;
  if (!counter) return;
  // Asynchronous: the reader thread must not wait for the UI thread here.
  SetWindowPos(counter, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  PostMessageW(counter, UM_COUNTER_SET, count, 0);
}

// After the text is on its way: the good read's signals and, in a bulk
// run, the counter and the limit. Starting the signal thread takes longer
// than anything else the wedge does for a barcode, so the output thread is
// woken first and types meanwhile.
void AfterHandOver(const Settings& settings, bool bulk, uint32_t count) {
  StampStage(kStageNotifyStart);
  if (g_dataPathNotices.goodRead) g_dataPathNotices.goodRead();
  StampStage(kStageNotifyStarted);
  if (!bulk) return;
  ShowCountInCounter(settings, count);
  if (!BulkLimitReached(settings, count)) return;
  BulkRunEndedAtLimit.store(true);
  if (g_dataPathNotices.runEndedAtLimit) g_dataPathNotices.runEndedAtLimit();
}

// A barcode the run refused: into the scan log, and with RefusedSignal the
// worker hears it was not typed. Returns AcceptBarcode's 1.
int Refuse(const Settings& settings, const Barcode& barcode, ScanOutcome outcome) {
  if (settings.ScanLog) {
    // The program in front now; the name cache is the output thread's, so
    // it is asked under the records lock.
    char16_t program[MAX_PATH];
    {
      LockHolder hold(RecordsLock());
      ForegroundProgram(program, MAX_PATH);
    }
    LogScan(barcode, outcome, program, nullptr);
  }
  if (settings.RefusedSignal && g_dataPathNotices.notTyped) g_dataPathNotices.notTyped();
  return 1;
}

}  // namespace

int AcceptBarcode(Barcode& barcode) {
  const ReaderState* device = g_reader;
  Settings* settings = g_settings;
  if (!device || !settings) return 1;
  ReplaceFnc1(*settings, &barcode);
  const bool bulk = device->BulkActive != 0;
  if (bulk && BulkRunEndedAtLimit.load()) return Refuse(*settings, barcode, ScanOutcome::PastLimit);
  uint32_t count = 0;
  const uint32_t limit = settings->BulkLimitEnable ? settings->BulkLimit : kBulkNoLimit;
  const BulkAdmission admitted =
      bulk ? BulkAdmit(barcode.text, uint32_t(barcode.length), barcode.type,
                       settings->BulkSameType != 0, settings->BulkSameLength != 0, &count, limit)
           : kBulkAccepted;
  switch (admitted) {
    case kBulkAccepted:
      break;
    case kBulkDuplicate:
      return Refuse(*settings, barcode, ScanOutcome::Duplicate);
    case kBulkAtLimit:
      return Refuse(*settings, barcode, ScanOutcome::PastLimit);
    default:
      return Refuse(*settings, barcode, ScanOutcome::TypeOrLength);
  }
  // A barcode that cannot be stored is lost; there is nobody to tell.
  PushBarcode(OutputQueue, barcode);
  if (HANDLE event = DataAvailableEvent()) SetEvent(event);
  StampStage(kStageQueued);
  AfterHandOver(*settings, bulk, count);
  return 1;
}

namespace {

enum class RunEnd { kEnded, kContinued, kTimedOut };

// Waits for the end of the process, a new trigger press or the time-out.
// A press while the run is at its limit does not continue it (presses are
// ignored then), so the wait starts over. A failed wait keeps the list.
RunEnd WaitForRunEnd(ThreadEvents& events, const Settings& settings) {
  events.waitMs = DWORD(settings.BulkScannedListClearAfter) * 1000;
  RunEnd how = RunEnd::kEnded;
  events.Loop([&](size_t which) {
    if (which == 0) {
      how = RunEnd::kTimedOut;
      return false;
    }
    if (BulkLimitReached(settings, BulkCount.load())) return true;
    how = RunEnd::kContinued;
    return false;
  });
  return how;
}

// A scan of the run started after the one whose end started this thread:
// that scan's own end (a release, a press, the limit, a request from
// outside) starts the thread that owns the forgetting, whether the scan still
// runs or not. The run's own scan may still be marked as running (its stop
// comes after this thread starts, or failed): that is no reason to keep the
// list.
bool LaterScanStarted(uint32_t scansAtRunEnd) {
  const ReaderState* device = g_reader;
  return device && device->ScanStarts.load() != scansAtRunEnd;
}

// In close mode 0 an open counter's countdown clears the list when it
// closes. Without an open counter nothing else would ever clear it, and the
// next run would silently refuse these barcodes.
bool CounterForgetsRun(const Settings& settings) {
  return settings.CounterEnabled && settings.CounterCloseMode == 0 && g_counterWindow;
}

void ForgetRunAfterTimeout(const Settings& settings, uint32_t scansAtRunEnd) {
  if (LaterScanStarted(scansAtRunEnd) || CounterForgetsRun(settings)) return;
  ClearBulkRun();
}

// When the last run ended (GetTickCount), and whether one has ended since
// the last scan started.
std::atomic<uint32_t> g_runEndedAt{0};
std::atomic<bool> g_runEnded{false};

}  // namespace

int ForgetBulkRunThread(uint32_t scansAtRunEnd) {
  SetThreadPriorityCe(2);
  ThreadEvents events(L"ClearComparisonQueueThread\r\nEvent\r\nERROR!",
                      {CreateEventW(nullptr, FALSE, FALSE, W(kEventSarnuTrigger))});
  if (!events.Ready()) return 0;
  // Only presses from now on continue the run.
  ResetEvent(events.Own(1));
  if (HWND counter = g_counterWindow) PostMessageW(counter, UM_COUNTER_SCAN, 1, 0);
  const Settings* settings = g_settings;
  if (settings && !LaterScanStarted(scansAtRunEnd) &&
      !ClearBulkRunUpTo(settings->BulkScannedListClearImmediatelyUpto)) {
    switch (WaitForRunEnd(events, *settings)) {
      case RunEnd::kEnded:
        break;
      case RunEnd::kContinued:
        if (HWND counter = g_counterWindow) PostMessageW(counter, UM_COUNTER_SCAN, 0, 0);
        break;
      case RunEnd::kTimedOut:
        ForgetRunAfterTimeout(*settings, scansAtRunEnd);
        break;
    }
  }
  return 1;
}

void ForgetEndedRunAtPress(const Settings& settings) {
  if (!g_runEnded.exchange(false)) return;
  const uint32_t since = GetTickCount() - g_runEndedAt.load();
  const bool continues = since < uint32_t(settings.BulkScannedListClearAfter) * 1000 &&
                         BulkCount.load() > settings.BulkScannedListClearImmediatelyUpto;
  if (!continues && !CounterForgetsRun(settings)) ClearBulkRun();
}

void StartForgetBulkRunThread() {
  g_runEndedAt.store(GetTickCount());
  g_runEnded.store(true);
  // Noted now, before the caller stops the run's scan and before a new press
  // could start the next one.
  const ReaderState* device = g_reader;
  const uintptr_t scans = device ? device->ScanStarts.load() : 0;
  StartShortThread(
      [](void* noted) { return ForgetBulkRunThread(uint32_t(reinterpret_cast<uintptr_t>(noted))); },
      reinterpret_cast<void*>(scans));
}
