// What the Win32 tests need to set up a simulated terminal: simterm.exe run as
// a child process, registry keys of HKLM seeded and removed, folders and
// files on the terminal's drive C:.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Runs "simterm.exe <arguments>" from the folder of the test program and
// waits for it (at most 30 s). Returns its exit code, or -1 when it could not
// be started or did not end. The text it printed on stdout goes to *output.
int RunSimterm(const std::wstring& arguments, std::string* output = nullptr);

// RunSimterm that fails the current test when the exit code is not 0.
void Simterm(const std::wstring& arguments);

// The simulator's log lines of one call ("1240 DvcSetBootup 0x1400" has call
// "DvcSetBootup" and arguments "0x1400"), oldest first.
std::vector<std::string> SimLogArguments(const char* call);

// The folder that holds the test program, simterm.exe and the simulator's
// libraries, with a trailing backslash.
std::wstring ProgramFolder();

// HKLM "Drivers\Active\NN" with value "Name". Removing deletes the key.
void SetActiveDriver(int number, const wchar_t* name);
void RemoveActiveDriver(int number);

// A REG_SZ value of HKLM\keyPath, written with exactly these bytes; and read
// back. ReadRegistryText gives false when the value is missing; *bytes gets
// its stored size.
void WriteRegistryText(const wchar_t* keyPath, const wchar_t* name, const wchar_t* text);
bool ReadRegistryText(const wchar_t* keyPath, const wchar_t* name, std::wstring* text,
                      DWORD* bytes = nullptr);

// A terminal path ("\Windows\Startup") on the prefix's drive C:.
std::wstring OnDriveC(const wchar_t* terminalPath);

// Creates the folder and its missing parents / removes it with everything in
// it. Terminal paths.
void MakeFolder(const wchar_t* terminalPath);
void RemoveFolder(const wchar_t* terminalPath);

// Writes or reads a whole file, bytes unchanged. Terminal paths.
bool WriteFileBytes(const wchar_t* terminalPath, const std::string& bytes);
std::string ReadFileBytes(const wchar_t* terminalPath);

// Wide text of a char16_t path (the product's) for comparisons in tests.
std::wstring Wide(const char16_t* text);
