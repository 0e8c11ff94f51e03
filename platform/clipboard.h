// The clipboard around one paste that must leave the user's own text in
// place. The barcode is offered rather than put: the system asks the owner
// window for it only when a program reads it, and the read of the program in
// front (the paste's target) is the moment the user's text may go back. The
// owner is this module's own window on a thread of its own, which never
// waits for anything, so a paste is answered whatever the wedge's other
// threads are doing. Both the terminal's system and the desktop render
// clipboard data on request.
#pragma once

#include <cstdint>

// The clipboard's Unicode text now, as a copy the caller frees with
// ClipboardFree; null when it holds none (other formats are not kept).
// False when the clipboard could not be opened.
bool ClipboardSaveText(char16_t** saved);

// Empties the clipboard and offers `text` (a block from ClipboardAlloc,
// owned from now on by this module) as its Unicode text, to be handed over
// when somebody asks. Returns once programs listening for clipboard changes
// have read and let go (50 ms at most when none was seen yet, half a second
// once one was), so that none holds the clipboard when the target pastes.
// False when the clipboard could not be opened: nothing is offered then.
bool ClipboardOffer(char16_t* text);

// Waits until the program in front took the offered text, at most
// `boundMs`. Until then a program behind it that reads with a window of its
// own (a clipboard manager, a remote session's clipboard, reading at every
// change) gets nothing, so the target's paste still asks and is seen; one
// reading without a window cannot be told from the target and gets the text,
// and the paste then goes unseen. False when the target did not take it in
// time: the offer then stays for whoever reads, so a target that pastes late
// still gets the barcode.
bool ClipboardWaitTaken(uint32_t boundMs);

// Puts `saved` back as the clipboard's only content (an empty clipboard when
// null) and frees it, but only while this module still owns the clipboard:
// what another program copied meanwhile stays. False when nothing was put
// back.
bool ClipboardRestore(char16_t* saved);

// At exit: an offer still pending is put on the clipboard for good, and the
// owner window and its thread end.
void ClipboardEnd();

char16_t* ClipboardAlloc(uint32_t units);  // zero-filled
void ClipboardFree(char16_t* block);
