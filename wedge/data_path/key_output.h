// Key output: the thread that types every barcode of the OutputQueue into the
// focused application, through the filter chain, as key events or through
// the clipboard and Ctrl+V, followed by the barcode's suffix as keys. The
// filter and the typing extras come from the profile of the program in
// front and the barcode's type, or from the main record.
#pragma once

#include <cstddef>
#include <cstdint>

// The buffer type that selects output through the clipboard.
enum : uint8_t { kBufferTypeClipboard = 3 };

// Thread procedure, started once by the wedge's entry procedure. Sets its own
// priority (CE level 4), creates or opens EventSarnuEnd and
// EventSarnuDataAvailable, drains the queue at every signal of the latter and
// ends at the former. Returns 1 after an orderly end; 0 when an event cannot
// be had (after an ownerless "OutputThread\r\nEvent\r\nERROR!" box) or when
// waiting itself fails.
int OutputThread();

// Called by the UI thread as the wedge starts to end: the output thread
// finishes the barcode it is typing (with KeyDelay, not even that) and
// types nothing more, before EventSarnuEnd is set.
void StopOutputForExit();

// Types every barcode of the OutputQueue in queue order, those pushed
// meanwhile included, and releases each. A barcode that the filter empties
// sends nothing, not even its suffix; an item that does not hold a whole
// barcode is dropped. Returns 1.
int ProcessOutputQueue();

// The key events of one byte (key table of the US layout; bytes 128 to 255 as
// unicode events of their ANSI code page character). Byte 0 sends nothing.
void TypeCharacter(unsigned char character);

// Puts a zero-terminated narrow (ANSI code page) text on the clipboard as
// Unicode text, owned by the window given to SetClipboardOwner. Returns 1 when
// the clipboard now holds the text, 0 otherwise (memory, clipboard busy).
int CopyToClipboard(const char* text);

// Ctrl+V as key events.
void SendPaste();

// Where the output path reads the reader's buffer type: the wedge points it
// at its ScanDevice's BufferType, which changes at every activation, so it
// is read afresh for every barcode. Null (the default) reads 0.
void SetOutputBufferType(const uint8_t* bufferType);

// The window that opens the clipboard (an HWND; the wedge's main window).
void SetClipboardOwner(void* window);
