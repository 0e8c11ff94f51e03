// The escaped form of bytes, in which sarnuconf prints barcodes and decoded
// texts and takes barcodes, and simterm takes barcodes: printable ASCII as
// itself except \ and " (written \\ and \"), every other byte \xHH with two
// upper-case hexadecimal digits. Read back, \xHH takes either letter case
// (never \X); any other backslash sequence is malformed. One barcode file
// suits both programs because both read and write through this one codec.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the escape of one byte and a terminator into piece; returns its
// length, 1 to 4.
size_t EscapeByte(unsigned char byte, char piece[5]);

enum class EscapeFault { None, UnknownEscape, LoneBackslash, ShortHex };

// Reads the character or escape sequence at text (not its terminator) into
// *byte. Returns how many characters it took (1, 2 or 4), or 0 for a
// malformed sequence, with *fault telling which.
size_t ReadEscaped(const char* text, char* byte, EscapeFault* fault);

// Decodes text into out (capacity bytes, no terminator added). 1 with
// *length set; 0 on a malformed escape or when the bytes do not fit.
int DecodeEscaped(const char* text, char* out, uint32_t capacity, uint32_t* length);

// Writes the escaped form of length bytes into out (size bytes, always
// terminated); what does not fit is left off at a whole escape.
void EncodeEscaped(const char* data, uint32_t length, char* out, size_t size);
