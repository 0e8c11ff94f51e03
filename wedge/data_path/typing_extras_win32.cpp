// The typing extras on Win32: the layout's key table from the system's
// layout keys, and the paste that keeps the user's clipboard.
#include <windows.h>

#include <cstring>

#include "clipboard.h"
#include "key_input.h"
#include "key_table.h"
#include "layout_keys.h"
#include "settings.h"
#include "text_codec.h"
#include "typing_extras.h"

namespace {

struct LayoutKey {
  uint8_t virtualKey;  // 0: typed as a unicode event
  bool shift;
  char16_t unit;  // the character, for the unicode event
};

// The key tables of the layouts met lately, one per layout, so a worker
// switching between two applications' layouts builds each table once. Used
// by the output thread only; static, so typing allocates nothing.
constexpr int kLayoutTables = 4;
struct LayoutTable {
  void* layout;
  bool built;
  uint32_t lastUsed;
  LayoutKey keys[256];
};
LayoutTable g_tables[kLayoutTables];
LayoutTable* g_current = nullptr;
uint32_t g_uses = 0;

LayoutKey KeyOnLayout(unsigned char character, void* layout) {
  LayoutKey key = {0, false, 0};
  const char narrow = char(character);
  if (AnsiToWide(&narrow, 1, &key.unit, 1) != 1) key.unit = 0;
  if (key.unit == 0) return key;
  if (!LayoutKeyFor(key.unit, layout, &key.virtualKey, &key.shift)) {
    key.virtualKey = 0;
    key.shift = false;
  }
  return key;
}

KeyEvent Event(uint8_t virtualKey, bool up) { return KeyEvent{virtualKey, 0, up}; }

}  // namespace

TypingExtras TypingExtrasOf(const Settings& settings) {
  TypingExtras extras;
  extras.keyDelayMs = settings.KeyDelay;  // the record holds it to 0..50
  extras.layoutKeys = settings.KeyboardLayout == 1;
  extras.keepClipboard = settings.KeepClipboard != 0;
  extras.focusGuard = settings.FocusGuard != 0;
  return extras;
}

void TakeForegroundLayout() {
  void* const layout = ForegroundKeyboardLayout();
  LayoutTable* table = nullptr;
  for (LayoutTable& t : g_tables) {
    if (t.built && t.layout == layout) table = &t;
  }
  if (!table) {
    // A new layout takes the table used longest ago.
    table = &g_tables[0];
    for (LayoutTable& t : g_tables) {
      if (!t.built || t.lastUsed < table->lastUsed) table = &t;
      if (!t.built) break;
    }
    for (int c = 0; c < 256; ++c) table->keys[c] = KeyOnLayout((unsigned char)c, layout);
    table->layout = layout;
    table->built = true;
  }
  table->lastUsed = ++g_uses;
  g_current = table;
}

size_t LayoutKeyEventsForCharacter(unsigned char character, KeyEvent* events) {
  // Enter, Tab, GS, blank and DEL mean the same on every layout.
  if ((character >= 1 && character <= 32) || character == 127) {
    return KeyEventsForCharacter(character, events);
  }
  if (!g_current) return KeyEventsForCharacter(character, events);
  const LayoutKey& key = g_current->keys[character];
  if (key.unit == 0) return 0;
  size_t n = 0;
  events[n++] = Event(kVkLeftWindows, true);
  if (key.virtualKey == 0) {
    events[n++] = KeyEvent{0, key.unit, false};
    events[n++] = KeyEvent{0, key.unit, true};
    return n;
  }
  if (key.shift) events[n++] = Event(kVkShift, false);
  events[n++] = Event(key.virtualKey, false);
  events[n++] = Event(key.virtualKey, true);
  if (key.shift) events[n++] = Event(kVkShift, true);
  return n;
}

bool PasteKeepingClipboard(const char* text) {
  // A Ctrl+V without the barcode offered would paste the user's text.
  char16_t* saved = nullptr;
  if (!ClipboardSaveText(&saved)) return false;
  const size_t length = std::strlen(text);
  char16_t* wide = ClipboardAlloc(uint32_t(length + 1));
  if (wide) AnsiToWide(text, length, wide, length);
  if (!wide || !ClipboardOffer(wide)) {
    ClipboardFree(saved);
    return false;
  }
  KeyEvent events[kPasteEventCount];
  PasteKeyEvents(events);
  for (const KeyEvent& e : events) SendKeyEvent(e);
  // A target that has not pasted yet may still paste: it must then find the
  // barcode, not the user's text followed by the suffix, so the user's text
  // goes back only once the target took the barcode.
  if (ClipboardWaitTaken(kPasteTakenBoundMs)) {
    ClipboardRestore(saved);
  } else {
    ClipboardFree(saved);
  }
  return true;
}

namespace {

void SendKey(uint8_t virtualKey, bool up) { SendKeyEvent(KeyEvent{virtualKey, 0, up}); }

enum : uint8_t { kVkCapital = 0x14 };

// Each kind of modifier by its sides, then the key that stands for both
// (a keyboard that reports no side).
struct ModifierKeys {
  uint8_t left, right, either;
};
const ModifierKeys kModifiers[] = {
    {0xA0, 0xA1, 0x10},  // Shift
    {0xA2, 0xA3, 0x11},  // Ctrl
    {0xA4, 0xA5, 0x12},  // Alt
};
const uint8_t kRightWindows = 0x5C;  // the left one goes up before every character

}  // namespace

KeyboardAside SetKeyboardAside() {
  KeyboardAside aside = {{}, 0, false};
  for (const ModifierKeys& m : kModifiers) {
    const size_t before = aside.heldCount;
    if (KeyHeldDown(m.left)) aside.held[aside.heldCount++] = m.left;
    if (KeyHeldDown(m.right)) aside.held[aside.heldCount++] = m.right;
    if (aside.heldCount == before && KeyHeldDown(m.either))
      aside.held[aside.heldCount++] = m.either;
  }
  if (KeyHeldDown(kRightWindows)) aside.held[aside.heldCount++] = kRightWindows;
  for (size_t i = 0; i < aside.heldCount; ++i) SendKey(aside.held[i], true);
  aside.capsLock = CapsLockOn();
  if (aside.capsLock) {
    SendKey(kVkCapital, false);
    SendKey(kVkCapital, true);
  }
  return aside;
}

void RestoreKeyboard(const KeyboardAside& aside) {
  if (aside.capsLock) {
    SendKey(kVkCapital, false);
    SendKey(kVkCapital, true);
  }
  for (size_t i = 0; i < aside.heldCount; ++i) SendKey(aside.held[i], false);
}
