// Symbology identifiers in the AIM form: "]", the symbology's character and a
// modifier digit ("]C1" is GS1-128). One table gives the identifier of every
// type code the wedge knows, the laser's codes and the imager's identifier
// characters; CodeIdPrefix puts it before a barcode, and a profile's Types
// may name barcodes by it.
#pragma once

#include <cstddef>
#include <cstdint>

struct SymbologyId {
  char text[4];  // "]C1" and a 0; empty ("") when the table has no identifier
  bool gs1;      // the GS1 form, whose FNC1 the identifier stands for
};

// The identifier of a barcode from reader `scannerType` (kScannerLaser or
// kScannerImager) of type code `type`; `fnc1First`: its data began with FNC1,
// which turns Code 128, Data Matrix and QR Code into their GS1 forms (a
// leading FNC1 in another symbology is data).
SymbologyId SymbologyIdOf(int32_t scannerType, int32_t type, bool fnc1First);

// `text` (`length` units) as an identifier a Types entry may hold: "]", a
// letter, a digit. False for anything else.
bool ParseSymbologyId(const char16_t* text, size_t length, SymbologyId* id);
