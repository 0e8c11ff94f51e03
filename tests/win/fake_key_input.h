// A link-level stand-in for the platform's key sender: the Win32 tests link
// it instead of the real one, so key output can be checked event by event
// without typing into whatever window has the focus.
#pragma once

#include <string>
#include <vector>

// The events sent since the last ClearSentKeys, described as "LWin^" (up),
// "Shift_" (down), "A_", "Enter_", "u+00E9_" (a unicode event), "Ctrl_".
std::vector<std::string> SentKeys();
void ClearSentKeys();
// The keyboard state the sender reports: keys held down and Caps Lock (none
// and off after ClearSentKeys).
void SetFakeKeyboardState(std::vector<unsigned char> heldKeys, bool capsLock);
