// simterm's subcommands and the small parsing helpers they share. Each command gets the
// arguments after its name and returns the exit code: 0 done, 1 failed (or a wait timed
// out), 2 bad usage, always with one line on stderr when not 0.
#pragma once

#include <cstdint>

enum : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

int CmdInit(int argc, char** argv);
int CmdSet(int argc, char** argv);
int CmdFail(int argc, char** argv);
int CmdScan(int argc, char** argv);
int CmdPress(int argc, char** argv);
int CmdRelease(int argc, char** argv);
int CmdLog(int argc, char** argv);
int CmdNow(int argc, char** argv);
int CmdStatus(int argc, char** argv);
int CmdWait(int argc, char** argv);

// Prints "simterm: <message>" on stderr and returns code.
int Complain(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Whole-text numbers: decimal or 0x hexadecimal. 1 when text is one and within range.
int ParseUnsigned(const char* text, uint32_t max, uint32_t* value);
// Also negative; a hexadecimal 32-bit pattern such as 0xFFFF0706 reads as its signed value.
int ParseSigned(const char* text, int32_t* value);
