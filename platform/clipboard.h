// The clipboard around one paste that must leave the user's own text in
// place. The barcode is offered rather than put: the system asks the owner
// window for it only when the target takes the paste, and that request is
// the moment the user's text may go back. Both the terminal's system and the
// desktop render clipboard data on request; a platform without it would put
// the text at once and let ClipboardWaitTaken wait out its bound instead.
#pragma once

#include <cstdint>

// The clipboard's Unicode text now, as a copy the caller frees with
// ClipboardFree; null when it holds none (other formats are not kept).
// False when the clipboard could not be opened.
bool ClipboardSaveText(void* owner, char16_t** saved);

// Empties the clipboard and offers `text` (a block from ClipboardAlloc,
// owned from now on by this module) as its Unicode text, to be handed over
// when somebody asks. False when the clipboard could not be opened.
bool ClipboardOffer(void* owner, char16_t* text);

// The owner window's answer to WM_RENDERFORMAT and WM_RENDERALLFORMATS:
// hands the offered text over and tells the waiter.
void ClipboardRenderOffered(bool allFormats, void* owner);

// Waits until the offered text was taken, at most `boundMs`. An offer never
// taken is withdrawn, and false returned.
bool ClipboardWaitTaken(uint32_t boundMs);

// Puts `saved` back as the clipboard's only content (an empty clipboard when
// null) and frees it.
bool ClipboardRestore(void* owner, char16_t* saved);

char16_t* ClipboardAlloc(uint32_t units);  // zero-filled
void ClipboardFree(char16_t* block);
