// The barcode filter: turns the data of one decoded barcode into the output
// text that is typed before its suffix. Works on narrow bytes, reads the
// settings record without its lock, allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#include "barcode.h"
#include "typing_plan.h"

class Settings;

// Size of the output and suffix buffers of the output path.
enum : size_t { kFilterBufferSize = 8192 };

// Runs the filter chain on the barcode's data (shortened in place; a 0 among
// the data ends it) and writes Preamble, the symbology identifier (with
// CodeIdPrefix: put on after the filters, which do not count it), text and
// Postamble into `output`
// (kFilterBufferSize bytes, cleared by the caller). The barcode's suffix is
// not touched. Returns 1 when there is text to send, 0 when nothing at all is
// to be sent: the text ended empty, or the result would not fit in the
// output buffer (a cut barcode would be a wrong barcode).
// `parts` (optional) receives the lengths of the output's four parts.
int ApplyFilter(const Settings& settings, Barcode* barcode, char* output,
                OutputParts* parts = nullptr);
