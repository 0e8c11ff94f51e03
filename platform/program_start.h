// Starting the terminal's own programs ("\Windows\SarnuSettings.exe", the
// reader set-up tools) and waiting for them the way the terminal's programs
// do: the exit code polled once a second, no messages handled meanwhile.
#pragma once

// Starts the program at a terminal path without a command line. True when
// it started; *process then holds its process handle (an opaque HANDLE),
// the thread handle is already closed. The desktop resolves a rootless path
// against the current drive, so a terminal path goes to drive C:, the
// simulated terminal's disk; CE takes the path as it is.
bool StartTerminalProgram(const wchar_t* terminalPath, void** process);

// Reads the exit code at once and, while the program still runs, sleeps one
// second and reads again; then closes the handle.
void WaitForProgramEnd(void* process);
