// The desktop's layouts answer the character-to-key question themselves.
#include "layout_keys.h"

#include <windows.h>

namespace {

// A dead key waits for the next character and changes it. The layout's map
// flags a key dead only as typed without Shift; the translation is asked in
// the shift state the character needs, since a key may be dead with Shift
// alone.
bool DeadKey(uint8_t key, bool shift, HKL layout) {
  if (MapVirtualKeyExW(key, MAPVK_VK_TO_CHAR, layout) & 0x80000000u) return true;
  BYTE state[256] = {};
  if (shift) state[VK_SHIFT] = 0x80;
  WCHAR out[4];
  const UINT scan = MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout);
  if (ToUnicodeEx(key, scan, state, out, 4, 0, layout) >= 0) return false;
  // The dead key now waits in this thread's keyboard state: a space takes it
  // out again, so the next question starts clean.
  const BYTE none[256] = {};
  ToUnicodeEx(VK_SPACE, MapVirtualKeyExW(VK_SPACE, MAPVK_VK_TO_VSC, layout), none, out, 4, 0,
              layout);
  return true;
}

}  // namespace

void* ForegroundKeyboardLayout() {
  return GetKeyboardLayout(GetWindowThreadProcessId(GetForegroundWindow(), nullptr));
}

bool LayoutKeyFor(char16_t unit, void* layout, uint8_t* virtualKey, bool* shift) {
  const HKL hkl = static_cast<HKL>(layout);
  const SHORT found = VkKeyScanExW(WCHAR(unit), hkl);
  if (found == -1) return false;
  const uint8_t key = uint8_t(found & 0xFF);
  const uint8_t modifiers = uint8_t((found >> 8) & 0xFF);
  // Plain or shifted keys only. A character behind AltGr goes as a unicode
  // event: an injected Ctrl+Alt does not reach AltGr on every system (the
  // desktop under test gives nothing at all), the character itself always
  // arrives. Ctrl or Alt alone would be a shortcut.
  const bool plain = modifiers == 0 || modifiers == 1;
  if (!plain || key == 0 || DeadKey(key, modifiers == 1, hkl)) return false;
  *virtualKey = key;
  *shift = modifiers == 1;
  return true;
}
