// The desktop's layouts answer the character-to-key question themselves.
#include "layout_keys.h"

#include <windows.h>

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
  // A dead key would wait for the next character and change it.
  const bool dead = (MapVirtualKeyExW(key, MAPVK_VK_TO_CHAR, hkl) & 0x80000000u) != 0;
  if (!plain || dead || key == 0) return false;
  *virtualKey = key;
  *shift = modifiers == 1;
  return true;
}
