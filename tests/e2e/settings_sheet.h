// The settings program as a user meets it: SarnuSettings.exe started on a
// terminal-sized screen of its own, its sheet found as a window and driven
// with the messages a user's actions send, and what it wrote read back.
// One driver for every page; scenarios are tables of SheetStep.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "e2e_support.h"

// The terminal screens: the common one and the tall one.
enum class Screen { Common240x320, Tall480x640 };

// Runs `body` on a thread of its own that sits on a Wine desktop of that
// screen's size: programs started by SettingsSheet appear there, and the
// thread's keys, window searches and screenshots see that desktop only.
void OnTerminalScreen(Screen screen, const std::function<void()>& body);

// The visible sheet of process `processId` (0: of any process) on this
// thread's desktop: a "#32770" top-level window with a tab control. Null
// when there is none.
HWND FindSheet(DWORD processId);

// One user action or one look at the sheet. `control` is a control of the
// current page (or a tab index for kPage); `text` a typed text, an expected
// text, a message box caption or a screenshot name; `value` a position,
// an index, a check state, an answer (IDYES/IDNO) or a count.
enum class Act {
  kPage,         // choose tab `control`
  kClick,        // BM_CLICK on `control`
  kType,         // select all of `control` and type `text` as key events
  kSelect,       // combo box `control` to entry `value`, as a user's pick
  kSlide,        // trackbar `control` to `value`, as a user's drag
  kAnswer,       // the box captioned `text` appears; answer `value`
  kNoBox,        // no box captioned `text` appears within a second
  kChecked,      // `control` is checked (`value` 1) or clear (0)
  kEnabled,      // `control` is enabled (1) or disabled (0)
  kWaitEnabled,  // `control` becomes enabled within `value` milliseconds
  kVisible,      // `control` is visible (1) or hidden (0)
  kText,         // `control` shows `text`
  kTrackPos,     // trackbar `control` stands at `value`
  kSelection,    // combo box `control` shows entry `value`
  kFocus,        // `control` has the focus
  kTabTitle,     // tab `control` is titled `text`
  kTabCount,     // the sheet has `value` tabs
  kShot,         // screenshot `text`
  kSave,         // the menu's "Save"
  kCancel,       // the menu's "Cancel"
};

struct SheetStep {
  Act act;
  int control = 0;
  std::wstring text;
  int value = 0;
};

class SettingsSheet {
 public:
  ~SettingsSheet();

  // Starts SarnuSettings.exe on the calling thread's desktop and waits for
  // its sheet. False (with the reason in *why) when no sheet appeared.
  bool Start(std::string* why);
  // Takes over the sheet of a settings program that another program (the
  // wedge's menu) started; false when none appeared within `timeoutMs`.
  bool Attach(DWORD timeoutMs);
  // Runs every step; the first one that does not hold ends the run with
  // its index and the reason in *why.
  bool Run(const std::vector<SheetStep>& steps, std::string* why);
  // True when the program ended within `timeoutMs` with exit code 0.
  bool Ended(DWORD timeoutMs = 10000);

  HWND Sheet() const { return sheet_; }
  HWND CurrentPage() const;

  // The sheet's tabs: count and titles (read through the sheet's process).
  int TabCount() const;
  std::wstring TabTitle(int index) const;

 private:
  bool Step(const SheetStep& step, std::string* why);
  HWND Control(int id) const;
  void Settle() const;  // waits until the sheet handled what was posted
  // False when the box did not get the focus or the text did not arrive.
  bool TypeText(HWND control, const std::wstring& text) const;

  Program program_;
  HANDLE process_ = nullptr;  // the sheet's process, started or attached
  bool attached_ = false;
  HWND sheet_ = nullptr;
};

// Copies every installed file into the terminal's "\Windows" folder, where
// the wedge's menu, the applet and the function keys find them.
bool DeployToTerminal();

// Starts SarnuSettings.exe on this thread's desktop and returns its exit
// code when it ends within `timeoutMs` (-1 otherwise), with
// *sheetShown telling whether a sheet window appeared meanwhile.
int RunSettingsWithoutSheet(DWORD timeoutMs, bool* sheetShown);

// What the settings program left on the terminal.
// A key of the prepared terminal's SARNU.INI ("" when missing, "<no file>"
// when there is no file).
std::wstring IniValue(const std::wstring& path, const wchar_t* section, const wchar_t* key);
// Whether a section header appears in the file.
bool IniHasSection(const std::wstring& path, const wchar_t* section);
// HKLM "HARDWARE\DEVICEMAP\KEYBD" value `name` ("" when missing).
std::wstring KeyboardLaunchValue(const wchar_t* name);
// "C:\Windows\Startup\SARNU.lnk" and "C:\Temp\SARNU.INI".
std::wstring StartupShortcutPath();
std::wstring TempIniPath();
bool FileExists(const std::wstring& path);
std::string ReadWholeFile(const std::wstring& path);
