// Key output on Win32: the output thread's events and loop, the queue drain
// through the filter chain, and the two ways of delivering the text (key
// events, or the clipboard and Ctrl+V).
#include <windows.h>

#include <cstring>

#include "barcode.h"
#include "barcode_filter.h"
#include "block_queue.h"
#include "key_input.h"
#include "key_output.h"
#include "key_table.h"
#include "lock.h"
#include "long_threads.h"
#include "settings.h"
#include "settings_records.h"
#include "stage_stamps.h"
#include "text_codec.h"
#include "thread_priority.h"
#include "typing_extras.h"
#include "wedge_events.h"

namespace {

const uint8_t* g_bufferType = nullptr;
HWND g_clipboardOwner = nullptr;
// The output thread's handle of EventSarnuEnd: after Exit nothing more is
// typed, even with barcodes still queued.
HANDLE g_endEvent = nullptr;

// Set by the UI thread the moment the wedge starts to end. EventSarnuEnd
// comes only after the reader is closed and the tray icon taken away, which
// can take a while, and a backlog must not go on being typed meanwhile.
volatile LONG g_exitRequested = 0;

bool WedgeEnding() {
  return g_exitRequested != 0 ||
         (g_endEvent && WaitForSingleObject(g_endEvent, 0) == WAIT_OBJECT_0);
}

// Used by the output thread only; static so that typing allocates nothing.
char g_outputBuffer[kFilterBufferSize];

uint8_t ReadValue(const uint8_t* value) { return value ? *value : 0; }

const WCHAR* W(const char16_t* text) { return reinterpret_cast<const WCHAR*>(text); }

// With KeyDelay every character but the barcode's first waits its pause, in
// which Exit ends the typing at once; without it this is the plain loop of
// the described typing.
void TypeText(const char* text, const TypingExtras& extras, bool* typedBefore) {
  for (const char* p = text; *p; ++p) {
    if (extras.keyDelayMs && *typedBefore) {
      if (g_exitRequested) return;
      if (!g_endEvent) {
        Sleep(extras.keyDelayMs);
      } else if (WaitForSingleObject(g_endEvent, extras.keyDelayMs) == WAIT_OBJECT_0) {
        return;
      }
    }
    *typedBefore = true;
    if (extras.layoutKeys) {
      KeyEvent events[kMaxKeyEventsPerCharacter];
      const size_t n = LayoutKeyEventsForCharacter(static_cast<unsigned char>(*p), events);
      for (size_t i = 0; i < n; ++i) SendKeyEvent(events[i]);
    } else {
      TypeCharacter(static_cast<unsigned char>(*p));
    }
  }
}

// Filters and sends one queued barcode; the item is released as soon as the
// filter has read it, so the producers' blocks come back early (the suffix
// is the barcode value's own copy).
void OutputOne(char* item, Barcode& barcode) {
  std::memset(g_outputBuffer, 0, sizeof g_outputBuffer);
  int send = 0;
  TypingExtras extras;
  if (barcode.text && g_settings) {
    LockHolder hold(RecordsLock());
    const Settings& record = RecordFor(barcode.type, barcode.fnc1First);
    send = ApplyFilter(record, &barcode, g_outputBuffer);
    extras = TypingExtrasOf(record);
  }
  StampStage(kStageFiltered);
  OutputQueue.Release(item);
  if (send == 0) return;
  if (extras.layoutKeys) TakeForegroundLayout();
  bool typedBefore = false;
  if (ReadValue(g_bufferType) == kBufferTypeClipboard) {
    typedBefore = true;
    if (extras.keepClipboard) {
      if (!PasteKeepingClipboard(g_outputBuffer)) TypeText(g_outputBuffer, extras, &typedBefore);
    } else {
      // The paste goes out even when the copy failed: the user then gets what
      // the clipboard held, which is how the reader's own clipboard mode acts.
      CopyToClipboard(g_outputBuffer);
      SendPaste();
    }
  } else {
    TypeText(g_outputBuffer, extras, &typedBefore);
  }
  TypeText(barcode.suffix, extras, &typedBefore);
  StampStage(kStageKeysSent);
}

}  // namespace


void SetOutputBufferType(const uint8_t* bufferType) { g_bufferType = bufferType; }

void SetClipboardOwner(void* window) { g_clipboardOwner = static_cast<HWND>(window); }

int OutputThread() {
  SetThreadPriorityCe(4);
  ThreadEvents events(L"OutputThread\r\nEvent\r\nERROR!",
                      {CreateEventW(nullptr, FALSE, FALSE, W(kEventSarnuDataAvailable))});
  if (!events.Ready()) return 0;
  g_endEvent = events.End();
  InterlockedExchange(&g_exitRequested, 0);
  const ThreadEvents::LoopEnd how = events.Loop([](size_t) {
    StampStage(kStageOutputAwake);
    ProcessOutputQueue();
    return true;
  });
  g_endEvent = nullptr;
  return how == ThreadEvents::LoopEnd::kFailed ? 0 : 1;
}

void StopOutputForExit() { InterlockedExchange(&g_exitRequested, 1); }

int ProcessOutputQueue() {
  while (!OutputQueue.IsEmpty() && !WedgeEnding()) {
    Barcode barcode;
    char* item = PopBarcode(OutputQueue, &barcode);
    if (!item) break;
    OutputOne(item, barcode);
  }
  return 1;
}

void TypeCharacter(unsigned char character) {
  KeyEvent events[kMaxKeyEventsPerCharacter];
  const size_t n = KeyEventsForCharacter(character, events);
  for (size_t i = 0; i < n; ++i) SendKeyEvent(events[i]);
}

int CopyToClipboard(const char* text) {
  const size_t length = std::strlen(text);
  // Zero-filled, so the terminator needs no store of its own.
  char16_t* wide = static_cast<char16_t*>(LocalAlloc(LPTR, (length + 1) * sizeof(char16_t)));
  if (!wide) return 0;
  AnsiToWide(text, length, wide, length);
  if (!OpenClipboard(g_clipboardOwner)) {
    LocalFree(wide);
    return 0;
  }
  EmptyClipboard();
  const bool handedOver = SetClipboardData(CF_UNICODETEXT, wide) != nullptr;
  if (!handedOver) LocalFree(wide);
  CloseClipboard();
  return handedOver ? 1 : 0;
}

void SendPaste() {
  KeyEvent events[kPasteEventCount];
  PasteKeyEvents(events);
  for (const KeyEvent& e : events) SendKeyEvent(e);
}
