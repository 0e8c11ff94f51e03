// SARNU.INI replaced while the wedge runs, as a device-management system
// drops a new file: a thread watches the file's folder and, once the folder
// has been quiet for half a second, tells the main window, which reads the
// file again as it does after its settings program, when no scan or bulk
// run is under way.
#pragma once

// Long-running thread: ends at EventSarnuEnd. Returns 1 after an orderly
// end; 0 when the folder cannot be watched (the wedge then reads the file
// only at its activations, as it always did).
int SettingsWatchThread();

// The main window's answer to UM_SETTINGS_CHANGED and to its retry timer:
// a file that differs from the one read last is read again, unless the
// reader is closed or in camera mode (its next start reads the file), a
// scan or a bulk run is under way (then asked again in half a second), the file
// cannot be read or holds no section (the settings in force stay; the next
// change tries again), it changed while it was looked at (its next change
// comes), or it lacks a section of the file read last (asked again in half
// a second; taken once it has stayed so for ten seconds).
void OnSettingsFileChanged();

// The retry timer's identifier on the main window.
enum : unsigned { kSettingsRetryTimer = 0x5A };
