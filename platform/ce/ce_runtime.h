// The few pieces of a C++ runtime that no DLL of the terminal provides; the
// C library itself (memcpy, malloc, wcslen, 32-bit division) is coredll's.
#pragma once

// The constructors of the module's globals, in the order the linker listed
// them (lld's MinGW mode gathers them between __CTOR_LIST__ and its end).
void RunGlobalConstructors();

// The functions given to atexit, last registered first.
void RunExitFunctions();
