// The barcode filter: turns the raw text of one decoded barcode into the
// output text that is typed and the reader's suffix typed after it. Works on
// narrow bytes, reads the settings record without its lock, allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

class Settings;

// Size of the output and suffix buffers of the output path.
enum : size_t { kFilterBufferSize = 8192 };

// The FNC1 character (GS).
enum : unsigned char { kFnc1 = 29 };

// Laser type code that carries FNC1; imager symbology identifiers that do.
enum : int32_t { kLaserTypeFnc1 = 512, kImagerIdFnc1Upper = 73, kImagerIdFnc1Lower = 106 };

// Laser read step: a type-512 barcode starting with GS loses that byte.
// Returns the new length.
size_t RemoveLeadingFnc1(char* text, size_t length, int32_t typeCode);

// Replaces each GS among the first `length` bytes by the first byte of the
// narrow ReplaceFNC1 text, when ReplaceFNC1Enable is on and the type code
// carries FNC1. An empty ReplaceFNC1 ends the text at its first GS; a laser
// text keeps the characters its reader appended (for suffix code
// `suffixChar`) behind that end, so its suffix survives.
void ReplaceFnc1(const Settings& settings, unsigned char suffixChar, char* text, size_t length,
                 int32_t typeCode);

// How many characters the laser appends for a suffix code: 1 for 0, 1 and 3,
// 2 for 2, none for 4 and above.
size_t LaserSuffixLength(unsigned char suffixChar);

// The characters the laser library appends to each barcode for a suffix
// code: 0 "\r", 1 "\n", 2 "\r\n", 3 "\t", 4 and above "". Used where a
// laser read is modelled (the simulator, sarnuconf's preview). The text is
// static and zero-terminated; never null.
const char* LaserAppendedSuffix(unsigned char suffixCode);

// Writes the reader's suffix (0 to 2 characters) into `suffix` (at least 3
// bytes, cleared by the caller). The raw text is not changed. A laser text
// shorter than its suffix gives what there is.
void ExtractSuffix(const Settings& settings, unsigned char suffixChar, char* suffix,
                   const char* rawText);

// Runs the filter chain on `rawText` (a private, writable copy: it is
// shortened in place) and writes Preamble, text and Postamble into `output`
// (kFilterBufferSize bytes, cleared by the caller). Returns 1 when there is
// text to send, 0 when nothing at all is to be sent: the text ended empty, or
// the result would not fit in the output buffer (a cut barcode would be a
// wrong barcode).
int ApplyFilter(const Settings& settings, unsigned char suffixChar, char* output,
                char* rawText);
