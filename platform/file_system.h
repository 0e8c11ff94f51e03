// What the terminal's and the desktop's file systems differ in, for the
// Win32 file seam (file_io.h): where a product path lives, and which
// attributes say a file cannot be rewritten.
#pragma once

#include <cstddef>
#include <cstdint>

// Product path to system path in `out` (`capacity` units); `extra` units are
// kept free for a suffix. False for an empty path or one that does not fit.
bool MapProductPath(const char16_t* path, wchar_t* out, size_t capacity, size_t extra = 0);

// Moves the file `from` onto `to` (system paths), replacing an existing `to`
// so that it holds the old content or the new, never a part.
bool ReplaceFileWhole(const wchar_t* from, const wchar_t* to);

// The kFileAttr* bits of the system's attributes of a file.
uint32_t ProductAttributes(unsigned long systemAttributes);
