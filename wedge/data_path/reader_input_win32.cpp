// Reader input on Win32: the trigger rules, starting and stopping scans, the
// laser's read thread and the imager's decode thread with its hand-over to
// the main window's thread.
#include <windows.h>

#include <cstring>
#include <new>

#include "barcode_filter.h"
#include "block_queue.h"
#include "bulk_collection.h"
#include "bulk_run.h"
#include "counter_window.h"
#include "device_libraries.h"
#include "long_threads.h"
#include "reader_input.h"
#include "scan_device.h"
#include "settings.h"
#include "short_threads.h"
#include "stage_stamps.h"
#include "thread_priority.h"
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

uint32_t ReadKeepDecoding() { return *static_cast<volatile uint32_t*>(&KeepDecoding); }

// The imager scan now running, counted up at every start. A decode thread
// that winds down after its scan was released must not end the next one,
// started by a quick second press meanwhile: it would leave that scan
// marked as running with nobody decoding, and the press would read nothing.
uint32_t g_decodeScan = 0;  // under KeepDecodingLock

void SetKeepDecoding(uint32_t value) {
  KeepDecodingLock.Enter();
  KeepDecoding = value;
  KeepDecodingLock.Leave();
}

uint32_t BeginDecoding() {
  KeepDecodingLock.Enter();
  KeepDecoding = 1;
  const uint32_t scan = ++g_decodeScan;
  KeepDecodingLock.Leave();
  return scan;
}

void EndDecoding(uint32_t scan) {
  KeepDecodingLock.Enter();
  if (scan == g_decodeScan) KeepDecoding = 0;
  KeepDecodingLock.Leave();
}

// The imager library asks this while it waits for a barcode.
int32_t WINAPI KeepDecodingNow() { return int32_t(ReadKeepDecoding()); }

// One imager decode: the text in the ANSI code page and the symbology
// identifier as one character, both zero-terminated. On the stack, so that a
// decode thread that outlives its scan never shares buffers with the next.
struct ImagerRead {
  WCHAR text[kPixTextBufferUnits];
  WCHAR identifier[kPixSymbologyBufferUnits];
  uint32_t extra1;
  uint32_t extra2;
  int32_t length;
  char narrowText[kPixTextBufferUnits];
  char narrowIdentifier[2];
};

// The library's count is trusted no further than its buffer; a code page with
// two-byte characters may need more bytes than units, so the text ends where
// the conversion did.
void ConvertImagerRead(ImagerRead& read) {
  int units = read.length;
  if (units < 0) units = 0;
  if (units > kPixTextBufferUnits - 1) units = kPixTextBufferUnits - 1;
  int bytes = units == 0 ? 0
                         : WideCharToMultiByte(CP_ACP, 0, read.text, units, read.narrowText,
                                               kPixTextBufferUnits - 1, nullptr, nullptr);
  if (bytes < 0) bytes = 0;
  read.narrowText[bytes] = 0;
  read.narrowIdentifier[0] = 0;
  read.narrowIdentifier[1] = 0;
  if (read.identifier[0]) {
    WideCharToMultiByte(CP_ACP, 0, read.identifier, 1, read.narrowIdentifier, 1, nullptr, nullptr);
  }
}

// What a decode thread is started with; the thread frees it. The read's
// buffers come with it: 24 KB is more than a thread's stack may grow by in
// one step on the terminal.
struct DecodeStart {
  ScanDevice* device;
  uint32_t scan;  // from BeginDecoding
  ImagerRead read;
};

int ImagerReadThread(void* parameter) {
  DecodeStart* start = static_cast<DecodeStart*>(parameter);
  ScanDevice& device = *start->device;
  const uint32_t scan = start->scan;
  ImagerRead& read = start->read;
  SetThreadPriorityCe(2);
  const int32_t timeout = device.BulkActive ? kPixNoTimeout : int32_t(device.ScanTimeout);
  do {
    read.length = 0;
    read.text[0] = 0;
    read.identifier[0] = 0;
    const int32_t result = g_PixLib.PixDecode(timeout, read.text, read.identifier, &read.extra1,
                                              &read.extra2, &read.length, KeepDecodingNow);
    // One barcode per trigger press outside bulk mode.
    if (!device.BulkActive) EndDecoding(scan);
    if (result != 0) break;
    ConvertImagerRead(read);
    ImagerDataQueue.Push(read.narrowText, std::strlen(read.narrowText) + 1);
    ImagerTypeQueue.Push(read.narrowIdentifier, 2);
    PostMessageW(device.Window, UM_IMAGER_DATA, 0, 0);
    Sleep(0);
  } while (ReadKeepDecoding() && device.BulkActive);
  delete start;
  return 1;
}

}  // namespace

bool StartImagerDecode(ScanDevice& device) {
  DecodeStart* start = new (std::nothrow) DecodeStart{&device, BeginDecoding(), {}};
  if (start && StartShortThread(ImagerReadThread, start)) return true;
  delete start;
  SetKeepDecoding(0);
  return false;
}

void StopImagerDecode() { SetKeepDecoding(0); }

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

int ReadLaserBarcodes() {
  uint32_t status = 0;
  uint8_t pending = 0;
  if (g_LZReadLib.LZRGetStatus(&status, &pending) != 0) return 0;
  char text[kLzrTextBufferSize];
  while (pending) {
    std::memset(text, 0, sizeof text);
    int32_t type = 0;
    uint8_t length = 0;
    // A read that fails would fail again while the library still says
    // "pending": stop rather than spin.
    if (g_LZReadLib.LZRGets(text, &type, &length) != 0) break;
    // The library fills at most its buffer; the length is what counts, and
    // a one-byte length always falls inside the buffer.
    static_assert(kLzrTextBufferSize > 255, "a length byte indexes the buffer");
    text[length] = 0;
    if (length != 0) {
      const size_t kept = RemoveLeadingFnc1(text, length, type);
      AcceptBarcode(text, uint32_t(kept), type);
    }
    if (g_LZReadLib.LZRGetStatus(&status, &pending) != 0) break;
  }
  g_LZReadLib.LZRClearBuff();
  return 1;
}

namespace {

bool LaserReadPending() {
  uint32_t status = 0;
  uint8_t pending = 0;
  return g_LZReadLib.LZRGetStatus(&status, &pending) == 0 && pending != 0;
}

// One signal of the laser library: its reads into the data path, and outside
// bulk mode the end of the scan (one barcode per press). Two signals close
// together (a read, then a quick release's stop) wake this thread once, and
// the last status is then the later one's: a read the library still holds
// is taken all the same, or it would wait for the next scan.
void OnLaserSignal(ScanDevice& device) {
  if (device.AimerActive) return;
  uint32_t status = 0;
  const bool dataReady =
      g_LZReadLib.LZRGetLastEventStatus(&status) == 0 && status == kLzrEventDataReady;
  if (!dataReady && !LaserReadPending()) return;
  ReadLaserBarcodes();
  if (device.BulkActive) return;
  StopRunningScan(device);
  if (g_settings && g_settings->AimerMode) PostMessageW(device.Window, UM_AIMER_ON, 0, 0);
}

}  // namespace

int LzrReadThread() {
  if (!g_settings || g_settings->ScannerType != kScannerLaser) return 0;
  SetThreadPriorityCe(2);
  ThreadEvents events(L"LzrReadThread\r\nEvent\r\nERROR!",
                      {CreateEventW(nullptr, FALSE, FALSE, kLzrScanningEventName)});
  if (!events.Ready()) return 0;
  const ThreadEvents::LoopEnd how = events.Loop([](size_t) {
    StampStage(kStageReaderAwake);
    if (ScanDevice* device = g_scanDevice) OnLaserSignal(*device);
    return true;
  });
  return how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
}

int DispatchImagerBarcode() {
  SetThreadPriorityCe(1);
  int passed = 0;
  if (ImagerDataQueue.IsEmpty() || ImagerTypeQueue.IsEmpty()) {
    ImagerDataQueue.Clear();
    ImagerTypeQueue.Clear();
  } else {
    char* text = ImagerDataQueue.PopFront();
    char* type = ImagerTypeQueue.PopFront();
    if (text && type) {
      AcceptBarcode(text, uint32_t(std::strlen(text)), int32_t(static_cast<signed char>(type[0])));
      passed = 1;
    }
    ImagerDataQueue.Release(text);
    ImagerTypeQueue.Release(type);
  }
  SetThreadPriorityCe(3);
  return passed;
}
