// Key injection on the terminal: virtual keys through keybd_event, a
// key-down always with KEYEVENTF_SILENT (no key click), and characters
// without a key through PostKeybdMessage with a one-character buffer, which
// the focus of the foreground thread receives as that character whatever
// the keyboard layout.
#include "key_input.h"

#include <windows.h>

namespace {

// PostKeybdMessage's window meaning "the focus of the foreground thread".
HWND const kForegroundFocus = reinterpret_cast<HWND>(-1);

}  // namespace

void SendKeyEvent(const KeyEvent& event) {
  if (event.unicode == 0) {
    keybd_event(event.virtualKey, 0, event.up ? KEYEVENTF_KEYUP : KEYEVENTF_SILENT, 0);
    return;
  }
  UINT state = event.up ? KeyStatePrevDownFlag : KeyStateDownFlag;
  UINT character = event.unicode;
  PostKeybdMessage(kForegroundFocus, 0, state, 1, &state, &character);
}
