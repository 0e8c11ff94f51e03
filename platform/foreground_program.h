// The program in front: the executable file name of the process that owns
// the foreground window, which picks a barcode's profile.
#pragma once

#include <cstddef>

// The file name alone (no folder) into `name` (`units` wide, terminated).
// False, with "", when no window is in front or its process cannot be
// named (it ended meanwhile). Allocates nothing. Called from one thread:
// the name of the last process asked is kept, so a program that stays in
// front (the same process and window) is named without asking the system
// again.
bool ForegroundProgram(char16_t* name, size_t units);
