// Conversion between narrow text in the system's ANSI code page and UTF-16.
// The data path types narrow bytes; the user interface and the settings
// file reader work in UTF-16.
#pragma once

#include <cstddef>

// Converts srcLen bytes (terminators included if counted) into at most dstCap
// UTF-16 units. Every byte converts to something. Returns the number of units
// written; stops early (at a whole character) when dst is full.
size_t AnsiToWide(const char* src, size_t srcLen, char16_t* dst, size_t dstCap);

// Converts srcLen UTF-16 units into at most dstCap bytes. A character that the
// code page cannot represent becomes '?'. A character whose bytes do not fit
// in what is left of dst is not written, so the result is never cut inside a
// character. Returns the number of bytes written.
size_t WideToAnsi(const char16_t* src, size_t srcLen, char* dst, size_t dstCap);
