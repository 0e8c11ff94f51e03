// The menu's Extension and Setting commands: the wedge steps aside (reader
// closed, counter gone, run forgotten, hook off) while the settings program
// or the reader maker's set-up tool runs, and comes back after it.
#pragma once

#include <windows.h>

// The program of a menu command: "\Windows\SarnuSettings.exe" for
// IDM_EXTENSION, the set-up tool of the reader for IDM_SETTING, null when
// there is none (IDM_SETTING without a reader, or another command).
const wchar_t* SetupProgramPath(WORD command, int scannerType);

// Runs the command on the UI thread, which handles no message until the
// started program has ended. After IDM_EXTENSION the settings are loaded
// again. The reader is activated again whenever it was there to begin with,
// also when the program could not be started, so the trigger works on.
void RunSetupProgram(WORD command);

// SARNU.INI replaced while the wedge runs, on the UI thread: the record and
// profiles read again, the power-on keys handed on; the reader closed and
// activated again (ScanDevice::Reopen) only when a key it holds changed
// (the aimer, the imager's bulk decoding). The hook stays on, the bulk mode
// that the worker toggled stays while the file keeps toggle mode, and the
// DataReader clients see no state change.
void ReloadSettingsFile();
