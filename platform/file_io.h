// Whole-file access for the settings store: read a file at once, replace it
// through a temporary file, copy, delete, attributes. Paths are wide CE-style
// paths ("\Temp\SARNU.INI"); the build's platform folder maps them to real files.
#pragma once

#include <cstddef>
#include <cstdint>

// Bits of FileAttributes that the settings store looks at.
enum : uint32_t {
  kFileAttrDirectory = 0x1,
  // The file cannot be rewritten: in ROM or a ROM module on the terminal, a
  // read-only file on the stand-in platforms.
  kFileAttrInRom = 0x2,
};

// Reads the whole file. On success *data holds *size bytes plus one extra zero
// byte (so text can be terminated in place) and must be released with
// FileFreeData; *attributes gets the kFileAttr* bits. Returns false when the
// file does not exist, cannot be opened for reading (others may read it too)
// or there is no memory; *data is then null.
bool FileReadAll(const char16_t* path, unsigned char** data, size_t* size,
                 uint32_t* attributes);
void FileFreeData(unsigned char* data);

// Writes `size` bytes to `path` + ".tmp" (replacing any old one) and moves
// that over `path` (FileMoveOver). Returns false when any step failed; the
// file at `path` is then either unchanged or fully replaced, never
// half-written.
bool FileReplaceThroughTemp(const char16_t* path, const void* data, size_t size);

// Puts the file `from` in the place of `to`, whole: `to` afterwards holds
// either what it held or all of `from`, also after a power loss in between
// where the file system allows it, and `from` is gone. False, with both left
// as they were, when `to` cannot be rewritten (read-only, in ROM) or the
// move fails.
bool FileMoveOver(const char16_t* from, const char16_t* to);

// Clears the read-only mark of a file. False when there is no such file or
// the mark stays.
bool FileMakeWritable(const char16_t* path);

// Copies `from` over `to`. With failIfExists an existing `to` makes it fail.
bool FileCopy(const char16_t* from, const char16_t* to, bool failIfExists);

bool FileDelete(const char16_t* path);

// Appends `size` bytes at the end of `path`, making the file when there is
// none; others may read it meanwhile. *sizeBefore (optional) gets the size
// it had. False when it cannot be opened or not all was written.
bool FileAppend(const char16_t* path, const void* data, size_t size, size_t* sizeBefore);

// Makes the folder `path` (its parent must exist). True when it exists
// afterwards, made now or before.
bool FileMakeFolder(const char16_t* path);

// False when nothing exists at `path` (file or folder).
bool FileGetAttributes(const char16_t* path, uint32_t* attributes);

// Turns a path of the machine a tool runs on (UTF-8, absolute or relative to
// the current folder) into a path the calls above accept as it is:
// "\\?\" followed by the absolute native path. Such a path holds a backslash,
// so the INI library's "\windows\" rule leaves it alone. False when it does
// not fit in `capacity` units.
bool NativeToProductPath(const char* nativePath, char16_t* out, size_t capacity);

// How paths are mapped: a path that starts with "\\?\" is a native path of
// the machine. Any other path that starts with a single backslash is a
// terminal path: on Win32 it lives on drive C: (the simulated terminal's
// disk), on POSIX under the folder named by the environment variable
// SARNU_ROOT (the current folder when unset), backslashes becoming slashes.
// Other paths are used as they are.
