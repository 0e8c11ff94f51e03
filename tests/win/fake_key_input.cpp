// The recording key sender. Any thread may send (the output thread does);
// a lock keeps the record whole.
#include "fake_key_input.h"

#include <cstdio>
#include <mutex>

#include "key_input.h"
#include "key_table.h"

namespace {

std::mutex g_lock;
std::vector<std::string> g_sent;
std::vector<unsigned char> g_held;
bool g_capsLock = false;

std::string Describe(const KeyEvent& e) {
  char name[16];
  if (e.unicode != 0) {
    std::snprintf(name, sizeof name, "u+%04X", unsigned(e.unicode));
  } else if (e.virtualKey >= 0x30 && e.virtualKey <= 0x5A) {
    std::snprintf(name, sizeof name, "%c", e.virtualKey);
  } else {
    const char* known = e.virtualKey == kVkLeftWindows ? "LWin"
                        : e.virtualKey == kVkShift     ? "Shift"
                        : e.virtualKey == kVkControl   ? "Ctrl"
                        : e.virtualKey == 0x0D         ? "Enter"
                        : e.virtualKey == 0x09         ? "Tab"
                                                       : nullptr;
    if (known)
      std::snprintf(name, sizeof name, "%s", known);
    else
      std::snprintf(name, sizeof name, "%02X", unsigned(e.virtualKey));
  }
  return std::string(name) + (e.up ? "^" : "_");
}

}  // namespace

void SendKeyEvent(const KeyEvent& event) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_sent.push_back(Describe(event));
}

std::vector<std::string> SentKeys() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_sent;
}

void ClearSentKeys() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_sent.clear();
  g_held.clear();
  g_capsLock = false;
}

void SetFakeKeyboardState(std::vector<unsigned char> heldKeys, bool capsLock) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_held = heldKeys;
  g_capsLock = capsLock;
}

bool KeyHeldDown(uint8_t virtualKey) {
  std::lock_guard<std::mutex> hold(g_lock);
  for (unsigned char key : g_held) {
    if (key == virtualKey) return true;
  }
  return false;
}

bool CapsLockOn() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_capsLock;
}

void BeginKeyInput() {}
