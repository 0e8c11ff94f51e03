// The profile-file library: reads one value of a key in a section of an INI
// file, and writes, replaces or deletes one by rewriting the whole file
// through a temporary file. Stateless: every call opens, reads and closes the
// file itself, but for the readers that take a file the caller opened.
//
// Paths: a path without any backslash names a file in "\windows\"; a path
// with a backslash is used as it is. Files starting with FF FE are UTF-16LE,
// any other file is narrow text in the ANSI code page. Sections and keys
// compare without regard to letter case; only the first section of a name is
// read or changed.
#pragma once

#include <cstddef>
#include <cstdint>

// One open file, on the caller's stack. Owns `text` until IniClose.
struct IniLine {
  const char16_t* start;  // first character after leading white space; null for a blank line
  size_t length;          // in characters
  bool wide;
};

struct IniFile {
  char16_t path[260];
  bool wide;
  char16_t* text;  // the whole file, converted to UTF-16; heap
  size_t length;   // characters in text
  size_t position;  // start of the next line
  IniLine line;     // the current line
  uint32_t attributes;
};

// Copies the value into buffer (at most size - 1 characters, always
// terminated; size 0 writes nothing). Returns the number of characters copied;
// 0 when the file, the section or the key is missing, or the value is empty.
// No section or no path gives 0.
size_t IniFind(const char16_t* section, const char16_t* key, char16_t* buffer,
               size_t size, const char16_t* path);

// The value of the key, or `defaultText` (null means "") when IniFind finds
// nothing; cut to size - 1 characters and terminated.
void IniGetString(const char16_t* section, const char16_t* key,
                  const char16_t* defaultText, char16_t* buffer, size_t size,
                  const char16_t* path);

// The value read as a decimal integer (leading blanks and one sign allowed;
// text that does not begin with a number gives 0; values beyond the 32-bit
// range saturate), or `defaultValue` when IniFind finds nothing.
int IniGetInt(const char16_t* section, const char16_t* key, int defaultValue,
              const char16_t* path);

// The same three on a file already read with IniOpen, for a caller that
// reads many keys of one file: the file is read once, not once per key, and
// every key comes from the same version of it. A file that could not be
// opened reads as a missing one.
size_t IniFindIn(IniFile* file, const char16_t* section, const char16_t* key, char16_t* buffer,
                 size_t size);
void IniGetStringIn(IniFile* file, const char16_t* section, const char16_t* key,
                    const char16_t* defaultText, char16_t* buffer, size_t size);
int IniGetIntIn(IniFile* file, const char16_t* section, const char16_t* key, int defaultValue);

// Text read as IniGetInt reads a value: leading blanks and one sign
// allowed, reading stops at the first other character (none: 0), values
// beyond the 32-bit range saturate.
int IniParseInt(const char16_t* text);

// Writes key=value into the first section of that name, adding the section
// and the key where they are missing. A null value deletes the key; a null
// key drops the section's header and key lines. Returns false when the path
// is missing or the file is in ROM (nothing is written then), true otherwise,
// also when the rewrite itself failed (the file is then left as it was).
// With no section nothing happens and the result is true.
bool IniSetString(const char16_t* section, const char16_t* key,
                  const char16_t* value, const char16_t* path);

// The value as signed decimal text, then IniSetString.
bool IniSetInt(const char16_t* section, const char16_t* key, int value,
               const char16_t* path);

// True when the file at `path` reads and has a header for every section
// that the file at `other` has (headers compared as the reader compares
// them, without letter case); a file that cannot be read holds nothing, and
// an `other` that cannot be read asks for nothing. How a file that a copy
// or a reset cut short is told from a whole one.
bool IniHoldsSectionsOf(const char16_t* path, const char16_t* other);

// The line reader under the calls above, also used by tools that walk a whole
// file. IniOpen builds the full path (the "\windows\" rule), reads and
// converts the file; false when it does not exist or cannot be read (the
// IniFile then holds no text, but its path and attributes are set as far as
// known). IniNextLine moves `line` to the next line; false at the end of the
// text. IniClose frees the text; safe to call after a failed open.
bool IniOpen(IniFile* file, const char16_t* path);
bool IniNextLine(IniFile* file);
void IniClose(IniFile* file);

// Line classification as the reader sees it (on an IniLine from IniNextLine).
bool IniLineIsSectionHeader(const IniLine& line);
bool IniLineIsComment(const IniLine& line);
// True when the line is a header of exactly this section.
bool IniLineIsSection(const IniLine& line, const char16_t* section);
// For a key line: the key (white space before "=" removed) and the value
// (trimmed, quotes removed). False when the line holds no "=" or the key is
// empty. The pointers point into the line.
bool IniLineKeyValue(const IniLine& line, const char16_t** key, size_t* keyLength,
                     const char16_t** value, size_t* valueLength);
