// sarnuconf's text helpers for the escaped byte form that escaped_bytes.h
// describes and codes.
#pragma once

#include <cstddef>
#include <string>

// Appends the escaped form of `length` bytes to *out.
void AppendEscaped(const char* bytes, size_t length, std::string* out);
std::string Escaped(const char* bytes, size_t length);
std::string Escaped(const char* text);  // zero-terminated

// Reads a command-line argument in the escaped form into raw bytes. \\, \"
// and \xHH (either letter case) are the only sequences; every other byte is
// taken as it is. False, with *error naming the problem, for any other
// backslash sequence or a backslash at the end.
bool Unescape(const char* text, std::string* bytes, std::string* error);
