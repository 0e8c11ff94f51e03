// Small helpers for zero-terminated UTF-16 text (char16_t), which the
// standard library does not cover.
#pragma once

#include <cstddef>

size_t WideLength(const char16_t* text);

// Copies src into dst of `capacity` units, cut to capacity - 1 and always
// terminated (capacity 0 writes nothing). A null src copies "". Returns the
// number of units copied.
size_t WideCopy(char16_t* dst, size_t capacity, const char16_t* src);

// Appends src behind the text in dst, within `capacity`, always terminated.
void WideAppend(char16_t* dst, size_t capacity, const char16_t* src);

// Exact comparison; -1, 0 or 1 like strcmp.
int WideCompare(const char16_t* a, const char16_t* b);

// Compares `length` units of a and b, A-Z equal to a-z; true when equal.
bool WideEqualNoCaseN(const char16_t* a, const char16_t* b, size_t length);

// UTF-8 <-> UTF-16 for tools and tests (not the ANSI code page).
// Returns the number of units or bytes written, always terminated.
size_t Utf8ToWide(const char* src, char16_t* dst, size_t capacity);
size_t WideToUtf8(const char16_t* src, size_t length, char* dst, size_t capacity);
