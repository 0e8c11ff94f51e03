// A worker's session on a simulated terminal: SARNU.INI written, the real
// wedge started and its reader activated, notepad in front, and the trigger
// pulled with real key events. Used by the scanning, bulk and load tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "e2e_support.h"

// A trigger key of model 10 with the simulator's default scanning keys.
enum : int { kTriggerKey = 135 };

// SARNU.INI of `extra` (whole sections) with the splash off: ShowSplash=0
// joins its [OtherSettings] section, or makes one.
std::string SessionIni(const std::string& extra);

class WedgeSession {
 public:
  WedgeSession();
  ~WedgeSession();
  WedgeSession(const WedgeSession&) = delete;
  WedgeSession& operator=(const WedgeSession&) = delete;

  // Terminal prepared ("laser" or "imager"; the imager with its own settings
  // file giving suffix `imagerSuffix`), notepad opened, the wedge started and
  // activated, notepad brought forward. False (with the reason in *why) when
  // any step failed.
  bool Start(const char* reader, const std::string& ini, std::string* why, int imagerSuffix = 13);
  // Exit through the menu command; true when the wedge ended with 0.
  bool Exit();

  // Trigger key events as a keyboard would send them.
  void Press(int vk = kTriggerKey);
  void Release(int vk = kTriggerKey);
  // Press and release, with the scan given `holdMs` to read.
  void Pull(DWORD holdMs = 300);

  // "simterm <arguments>"; true when it answered 0.
  static bool Sim(const std::wstring& arguments, std::string* output = nullptr);
  // The simulator's scan state, polled until it is `on`.
  static bool WaitScanning(bool on, DWORD timeoutMs = 10000);

  // "simterm set" arguments applied to the fresh terminal before the wedge
  // starts (reader values the wedge fetches at activation).
  std::vector<std::wstring> presets;
  // The wedge's program: the shipped one unless a benchmark wants its
  // stamped build.
  std::wstring program = L"Sarnu.exe";

  Notepad& Pad() { return notepad_; }
  HWND Window() const { return window_; }
  const Program& Process() const { return wedge_; }

  // True when the wedge's window handles a message within ten seconds: what
  // was posted to it before has been handled.
  bool Answers() const;

  // The wedge's private working set, in bytes (0 when it cannot be read).
  SIZE_T PrivateBytes() const;
  // The handles the wedge holds open, from the system's handle table (the
  // per-process count is always 0 under Wine); 0 when it cannot be read.
  DWORD HandleCount() const;

 private:
  Notepad notepad_;
  Program wedge_;
  HWND window_ = nullptr;
  HANDLE started_ = nullptr;  // "DataReader_Event_Started", held to see activation
};
