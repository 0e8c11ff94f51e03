// The escaped form of barcode arguments shared with sarnuconf: printable ASCII as itself,
// "\\" and "\"", and any byte as "\xHH".
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes text into out (capacity bytes, no terminator added). 1 with *length set; 0 on a
// malformed escape (anything but \\, \" and \x with two hexadecimal digits of either case)
// or when the bytes do not fit.
int DecodeEscaped(const char* text, char* out, uint32_t capacity, uint32_t* length);

// Writes the escaped form of length bytes into out (size bytes, always terminated); what
// does not fit is left off.
void EncodeEscaped(const char* data, uint32_t length, char* out, size_t size);
