// The administrators' tool as a procedure: the program's main and the tests
// both call SarnuconfMain, so what the tests see is what a script sees.
#pragma once

#include <cstdio>

// Exit codes of every command.
enum : int {
  kExitOk = 0,
  kExitFound = 0,
  kExitProblems = 1,  // check found problems, diff differences, get nothing, set failed
  kExitUsage = 2,     // bad usage, unreadable file, bad number: one line on err
};

// Runs one command line (argv[0] is the program's name; arguments are UTF-8).
// Results go to `out` as stable lines, complaints to `err`. Never aborts on
// bad input.
int SarnuconfMain(int argc, char** argv, FILE* out, FILE* err);

// The usage text that "sarnuconf help" prints.
void PrintUsage(FILE* out);
