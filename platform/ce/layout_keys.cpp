// The terminal has no character-to-key lookup for a layout; every
// character goes as itself (PostKeybdMessage with a character buffer),
// which the focus receives unchanged on any layout.
#include "layout_keys.h"

void* ForegroundKeyboardLayout() { return nullptr; }

bool LayoutKeyFor(char16_t, void*, uint8_t*, bool*) { return false; }
