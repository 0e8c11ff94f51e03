// The keys of the keyboard layout of the application in front, for the
// typing extra that types each character with that layout's own key.
#pragma once

#include <cstdint>

// The foreground application's keyboard layout now (an HKL); null where the
// system cannot tell.
void* ForegroundKeyboardLayout();

// The plain or shifted key that types `unit` on `layout`. False when the
// layout has none, when it is a dead key or sits behind AltGr, and where the
// system cannot look keys up (the terminal): the character then goes as
// itself, which arrives whatever the layout.
bool LayoutKeyFor(char16_t unit, void* layout, uint8_t* virtualKey, bool* shift);
