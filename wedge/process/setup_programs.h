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

// SARNU.INI replaced while the wedge runs: the same steps aside and back,
// with no program between them; the activation reads the file again.
void ReloadSettingsFile();
