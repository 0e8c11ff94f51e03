// Each system's side of foreground_program.cpp: the executable file name of
// a process, without its folder.
#pragma once

#include <cstddef>

// The name into `name` (`units` wide, terminated); false when the process
// cannot be named (it ended, or the system will not say).
bool ProcessFileName(unsigned long process, wchar_t* name, size_t units);
