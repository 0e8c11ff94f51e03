// Key output on Win32: the output thread's events and loop, the queue drain
// through the filter chain, and the two ways of delivering the text (key
// events, or the clipboard and Ctrl+V).
#include <windows.h>

#include <cstring>

#include "barcode.h"
#include "barcode_filter.h"
#include "block_queue.h"
#include "data_path_notices.h"
#include "key_input.h"
#include "key_output.h"
#include "key_table.h"
#include "lock.h"
#include "long_threads.h"
#include "scan_log.h"
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

// One barcode's typing, step by step (typing_plan.h). With KeyDelay every
// character and key but the barcode's first waits its pause, and a pause of
// that or of a {DELAY} token that Exit ends stops the typing: nothing more
// of the barcode goes out. Without KeyDelay, tokens and a key map this is
// the plain loop of the described typing. Through the clipboard the text
// runs are gathered and pasted, once before each key or pause and once at
// the end.
struct Typing {
  TypingExtras extras;
  bool clipboard;
  bool typedBefore;
  bool stopped;
  size_t pasteLength;
  HWND front;       // the foreground window as the barcode's typing began
  bool focusMoved;  // the guard stopped the typing
};

// The focus guard: the window in front is no longer the one the barcode
// began in (a box, a pop-up, another program), so nothing more of it goes
// out. A focus move inside that window (the preamble's Tab) does not count.
bool FocusMoved(Typing& t) {
  if (!t.extras.focusGuard || !t.front || GetForegroundWindow() == t.front) return false;
  t.stopped = true;
  t.focusMoved = true;
  return true;
}

// Used by the output thread only; static so that typing allocates nothing.
char g_pasteBuffer[kFilterBufferSize];
KeyMapSetting g_keyMap;
// The scan log's view of the barcode being typed: its data as it came to the
// output (the filter shortens the queued copy), the program in front and
// the profile.
Barcode g_logBarcode;
char g_logData[kFilterBufferSize];
char16_t g_logProgram[MAX_PATH];
char16_t g_logProfile[MAX_PATH];

const char16_t* CopyName(char16_t (&to)[MAX_PATH], const char16_t* from) {
  size_t n = 0;
  while (from && from[n] && n + 1 < MAX_PATH) to[n] = from[n], ++n;
  to[n] = 0;
  return to;
}

// Waits `ms` unless the wedge ends meanwhile; false when it ends.
bool PauseTyping(DWORD ms) {
  if (g_exitRequested) return false;
  if (!g_endEvent) {
    Sleep(ms);
    return true;
  }
  return WaitForSingleObject(g_endEvent, ms) != WAIT_OBJECT_0;
}

// The pause before the next character or key; false when the typing stops.
bool BeforeNext(Typing& t) {
  if (t.stopped || FocusMoved(t)) return false;
  if (t.extras.keyDelayMs && t.typedBefore && !PauseTyping(t.extras.keyDelayMs)) {
    t.stopped = true;
    return false;
  }
  t.typedBefore = true;
  return true;
}

void TypeRun(Typing& t, const char* text, size_t length) {
  for (size_t i = 0; i < length && text[i]; ++i) {
    if (!BeforeNext(t)) return;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (t.extras.layoutKeys) {
      KeyEvent events[kMaxKeyEventsPerCharacter];
      const size_t n = LayoutKeyEventsForCharacter(c, events);
      for (size_t k = 0; k < n; ++k) SendKeyEvent(events[k]);
    } else {
      TypeCharacter(c);
    }
  }
}

void FlushPaste(Typing& t) {
  if (t.pasteLength == 0 || t.stopped || FocusMoved(t)) return;
  g_pasteBuffer[t.pasteLength] = 0;
  t.pasteLength = 0;
  t.typedBefore = true;
  if (t.extras.keepClipboard) {
    if (!PasteKeepingClipboard(g_pasteBuffer)) TypeRun(t, g_pasteBuffer, kFilterBufferSize);
  } else {
    // The paste goes out even when the copy failed: the user then gets what
    // the clipboard held, which is how the reader's own clipboard mode acts.
    CopyToClipboard(g_pasteBuffer);
    SendPaste();
  }
}

void OnText(void* context, const char* text, size_t length) {
  Typing& t = *static_cast<Typing*>(context);
  if (!t.clipboard) return TypeRun(t, text, length);
  for (size_t i = 0; i < length && text[i]; ++i) {
    if (t.pasteLength == kFilterBufferSize - 1) FlushPaste(t);
    g_pasteBuffer[t.pasteLength++] = text[i];
  }
}

void OnKey(void* context, uint8_t virtualKey, bool ctrl) {
  Typing& t = *static_cast<Typing*>(context);
  FlushPaste(t);
  if (!BeforeNext(t)) return;
  KeyEvent events[kMaxKeyEventsPerCharacter];
  const size_t n = KeyEventsForKey(virtualKey, ctrl, events);
  for (size_t k = 0; k < n; ++k) SendKeyEvent(events[k]);
}

void OnPause(void* context, uint32_t ms) {
  Typing& t = *static_cast<Typing*>(context);
  FlushPaste(t);
  if (!t.stopped && !PauseTyping(ms)) t.stopped = true;
}

// Filters and sends one queued barcode; the item is released as soon as the
// filter has read it, so the producers' blocks come back early (the suffix
// is the barcode value's own copy).
void OutputOne(char* item, Barcode& barcode) {
  std::memset(g_outputBuffer, 0, sizeof g_outputBuffer);
  int send = 0;
  Typing typing = {};
  OutputParts parts = {};
  bool keyTokens = false;
  bool refusedSignal = false;
  const char16_t* program = nullptr;
  if (barcode.text && g_settings) {
    LockHolder hold(RecordsLock());
    RecordChoice choice;
    const Settings& record = RecordFor(barcode.type, barcode.fnc1First, &choice);
    // The log's names, copied while the profiles cannot change.
    if (choice.program) program = CopyName(g_logProgram, choice.program);
    CopyName(g_logProfile, choice.profile);
    refusedSignal = record.RefusedSignal != 0;
    g_logBarcode = barcode;
    if (g_settings->ScanLog) {
      g_logBarcode.length = barcode.length < sizeof g_logData ? barcode.length : 0;
      std::memcpy(g_logData, barcode.text, g_logBarcode.length);
      g_logBarcode.text = g_logData;
    }
    send = ApplyFilter(record, &barcode, g_outputBuffer, &parts);
    typing.extras = TypingExtrasOf(record);
    // Copied: the record may be reloaded while this barcode is typed.
    keyTokens = record.KeyTokens != 0;
    g_keyMap = record.KeyMap;
  }
  StampStage(kStageFiltered);
  OutputQueue.Release(item);
  if (send == 0) {
    if (barcode.text) {
      LogScan(g_logBarcode, ScanOutcome::Filtered, program, g_logProfile);
      if (refusedSignal && g_dataPathNotices.notTyped) g_dataPathNotices.notTyped();
    }
    return;
  }
  if (typing.extras.layoutKeys) TakeForegroundLayout();
  typing.clipboard = ReadValue(g_bufferType) == kBufferTypeClipboard;
  typing.front = GetForegroundWindow();
  const KeyboardAside aside = SetKeyboardAside();
  WalkTyping(keyTokens, g_keyMap, g_outputBuffer, parts, {&typing, OnText, OnKey, OnPause});
  FlushPaste(typing);
  TypeRun(typing, barcode.suffix, sizeof barcode.suffix);
  RestoreKeyboard(aside);
  StampStage(kStageKeysSent);
  if (typing.focusMoved && g_dataPathNotices.notTyped) g_dataPathNotices.notTyped();
  const ScanOutcome outcome = typing.focusMoved  ? ScanOutcome::FocusMoved
                              : typing.clipboard ? ScanOutcome::Pasted
                                                 : ScanOutcome::Typed;
  LogScan(g_logBarcode, outcome, program, g_logProfile);
}

}  // namespace

void SetOutputBufferType(const uint8_t* bufferType) { g_bufferType = bufferType; }

void SetClipboardOwner(void* window) { g_clipboardOwner = static_cast<HWND>(window); }

int OutputThread() {
  SetThreadPriorityCe(4);
  BeginKeyInput();
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
