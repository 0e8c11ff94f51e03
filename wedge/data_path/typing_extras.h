// What a site can ask of the typing beyond the described behaviour, each off
// unless its [OtherSettings] key says otherwise: the foreground application's
// own keyboard layout (KeyboardLayout), a pause between characters
// (KeyDelay) and the user's clipboard text kept across a paste
// (KeepClipboard), and the focus guard (FocusGuard, on unless the file says
// 0): a barcode whose window loses the foreground while it is typed is
// typed no further. The output thread reads them once per barcode.
#pragma once

#include <cstddef>
#include <cstdint>

class Settings;
struct KeyEvent;

struct TypingExtras {
  uint32_t keyDelayMs = 0;  // 0 to 50
  bool layoutKeys = false;
  bool keepClipboard = false;
  bool focusGuard = false;
};

TypingExtras TypingExtrasOf(const Settings& settings);

// The foreground thread's keyboard layout, taken once per barcode; the key
// table of a layout is built when it is first met, so typing allocates
// nothing.
void TakeForegroundLayout();

// The events that type one character on the layout taken last: Left Windows
// up, Shift when the layout needs it, the key. Controls and blank go as their
// own keys as on the US table; a character the layout has no plain or
// shifted key for (none, a dead key, AltGr) goes as a unicode event. Returns
// the number written (room for kMaxKeyEventsPerCharacter).
size_t LayoutKeyEventsForCharacter(unsigned char character, KeyEvent* events);

// The keyboard's state set aside for one barcode, so that neither a held
// modifier (the user's Shift, or a key another program left down) nor Caps
// Lock changes a character: the held Shift, Ctrl, Alt and right Windows keys
// go up and Caps Lock off before the barcode, and after it (also after one
// that Exit or the focus guard cut short) Caps Lock on again and the keys
// down again, so the user finds the keyboard as it was. Num Lock needs
// nothing: no key the wedge types is on the number pad.
struct KeyboardAside {
  uint8_t held[8];
  size_t heldCount;
  bool capsLock;
};
KeyboardAside SetKeyboardAside();
void RestoreKeyboard(const KeyboardAside& aside);

// Clipboard output that leaves the user's Unicode text where it was: the
// text saved, the barcode offered and pasted, and the saved text put back
// once the program in front has taken the paste. A target that has not
// taken it within kPasteTakenBoundMs keeps the barcode on the clipboard for
// a late paste, and the user's text is not put back. False when the
// clipboard stayed busy (or memory ran out) before anything was pasted: the
// clipboard is as it was, and the caller types the text instead.
enum : uint32_t { kPasteTakenBoundMs = 2000 };
bool PasteKeepingClipboard(const char* text);
