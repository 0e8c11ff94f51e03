// The wedge's start-up shortcut, which the settings program's Common page
// switches: "\Windows\Startup\SARNU.lnk", starting "\Windows\Sarnu.exe" at
// boot.
#pragma once

extern const char16_t kStartupShortcutPath[];
extern const char16_t kWedgeProgramPath[];

// True when the start-up shortcut exists.
bool StartupShortcutExists();

// Deletes the start-up shortcut and, when `on`, creates it afresh. Returns
// true when the shortcut now exists exactly as asked (callers may ignore it).
bool SetStartupShortcut(bool on);
