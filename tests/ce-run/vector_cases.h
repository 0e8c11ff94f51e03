// The cases that the host and the terminal's ARM code must agree on, and the
// one function that computes a case's result from the portable core. The
// host's vector writer and the self-check image both compile this file, so
// a case can only come out differently when the compiled core differs.
//
// A vector file is text, one case a line: the case's fields separated by
// tabs, then a tab and the result the host computed. Fields and results are
// in the escaped form of EscapeBytes (no tab, no line break inside). A line
// starting with '#' is a comment. The kinds, by first field:
//   S  READER INI              load INI as SARNU.INI for a reader; result: every
//                              key as loaded and the profile count. Later F
//                              cases use this record.
//   F  SUFFIX TYPE PROGRAM BARCODE
//                              the reader's side and the filter chain on the
//                              last S record and its profiles; result: the
//                              profile chosen, send, output and suffix
//   I  INI SECTION KEY VALUE   read the key, then IniSetString (VALUE "-" deletes,
//                              "=TEXT" sets TEXT), read it again and the file
//   E  TEXT                    DecodeEscapes
//   K  BYTE                    the key table's entry and the key events
//   B  SAMETYPE SAMELENGTH LIMIT (TYPE BARCODE)...
//                              a bulk run's admissions and its count
//   Q  PAGES LENGTH...         pushes, pops and look-ups on a block queue
#pragma once

#include <cstddef>

// Where the cases keep their files (a product path; the folder is made).
extern const char16_t kVectorWorkFolder[];

// Byte text in the escaped form: printable ASCII but '\' as itself, "\\" for
// '\', "\xHH" for any other byte. Writes at most capacity - 1 characters and
// a terminator; returns the characters written.
size_t EscapeBytes(const void* data, size_t size, char* out, size_t capacity);

// The reverse, for `length` characters of escaped text: returns the bytes
// written (at most capacity; no terminator added).
size_t UnescapeBytes(const char* text, size_t length, char* out, size_t capacity);

// Computes the result of one case (its fields, tab-separated, without the
// result) into `result` (escaped text, terminated). False for a line that
// is not a case. Cases after an S case depend on it: run them in file order.
bool ComputeCase(const char* line, size_t length, char* result, size_t capacity);

// What CheckVectors found. `differed` is called for each case whose result
// differs from the file's, with the line number, the case and both results.
struct VectorReport {
  size_t agreed;
  size_t differed;
  size_t malformed;  // lines that are no case or carry no result
  void (*difference)(void* context, size_t line, const char* text, size_t length,
                     const char* expected, const char* got);
  void* context;
};

// Recomputes every case of a vector file's text and compares.
void CheckVectors(const char* text, size_t size, VectorReport* report);

// Releases what the cases hold (the loaded record and its profiles).
void EndCases();
