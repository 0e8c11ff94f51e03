// Reader input on Win32: the laser's read thread and the imager's decode
// thread, each making the barcode value and handing it to admission itself.
#include <windows.h>

#include <cstring>
#include <new>

#include "barcode.h"
#include "bulk_collection.h"
#include "data_path_notices.h"
#include "device_libraries.h"
#include "lock.h"
#include "long_threads.h"
#include "reader_input.h"
#include "reader_state.h"
#include "settings.h"
#include "short_threads.h"
#include "stage_stamps.h"
#include "thread_priority.h"

uint32_t KeepDecoding = 0;
ReaderState* g_reader = nullptr;

namespace {

// Never destroyed: an imager decode may still ask it while the process's
// statics go.
Lock& LastingLock() {
  alignas(Lock) static unsigned char storage[sizeof(Lock)];
  return *new (storage) Lock;
}

}  // namespace

Lock& KeepDecodingLock = LastingLock();

namespace {

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
  const ReaderState* device;
  uint32_t scan;  // from BeginDecoding
  ImagerRead read;
};

int ImagerReadThread(void* parameter) {
  DecodeStart* start = static_cast<DecodeStart*>(parameter);
  const ReaderState& device = *start->device;
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
    Barcode barcode = MakeBarcode(kScannerImager, read.narrowText, std::strlen(read.narrowText),
                                  int32_t(static_cast<signed char>(read.narrowIdentifier[0])),
                                  device.SuffixChar);
    AcceptBarcode(barcode);
  } while (ReadKeepDecoding() && device.BulkActive);
  delete start;
  return 1;
}

}  // namespace

bool StartImagerDecode(const ReaderState& device) {
  DecodeStart* start = new (std::nothrow) DecodeStart{&device, BeginDecoding(), {}};
  if (start && StartShortThread(ImagerReadThread, start)) return true;
  delete start;
  SetKeepDecoding(0);
  return false;
}

void StopImagerDecode() { SetKeepDecoding(0); }

int ReadLaserBarcodes(const ReaderState& device) {
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
    if (length != 0) {
      Barcode barcode = MakeBarcode(kScannerLaser, text, length, type, device.SuffixChar);
      AcceptBarcode(barcode);
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
void OnLaserSignal(const ReaderState& device) {
  if (device.AimerActive) return;
  uint32_t status = 0;
  const bool dataReady =
      g_LZReadLib.LZRGetLastEventStatus(&status) == 0 && status == kLzrEventDataReady;
  if (!dataReady && !LaserReadPending()) return;
  ReadLaserBarcodes(device);
  if (device.BulkActive) return;
  if (g_dataPathNotices.pressReadTaken) g_dataPathNotices.pressReadTaken();
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
    if (const ReaderState* device = g_reader) OnLaserSignal(*device);
    return true;
  });
  return how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
}
