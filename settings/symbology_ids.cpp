// The symbology identifier table.
#include "symbology_ids.h"

#include <cstring>

#include "settings.h"

namespace {

struct IdRow {
  int32_t scannerType;
  int32_t type;       // the laser's type code, or the imager's identifier character
  const char* plain;  // the identifier
  // The identifier when the data began with FNC1, for the symbologies whose
  // GS1 form is told by it; null for the others. GS1-128's own codes give
  // it whatever the data began with.
  const char* fnc1First;
};

// The laser reports a code number with each barcode. Only 512 (GS1-128, the
// type that carries FNC1) is known for certain; 1 to 10 are this table's
// choice, and a reader that numbers its types otherwise gets no identifier
// for them (a profile can still name them by number). The imager reports
// its identifier character; 'I' and 'j' carry FNC1.
constexpr IdRow kIds[] = {
    {kScannerLaser, 1, "]A0", nullptr},     // Code 39
    {kScannerLaser, 2, "]F0", nullptr},     // Codabar
    {kScannerLaser, 3, "]C0", "]C1"},       // Code 128
    {kScannerLaser, 4, "]I0", nullptr},     // Interleaved 2 of 5
    {kScannerLaser, 5, "]G0", nullptr},     // Code 93
    {kScannerLaser, 6, "]E0", nullptr},     // UPC-A
    {kScannerLaser, 7, "]E0", nullptr},     // UPC-E
    {kScannerLaser, 8, "]E0", nullptr},     // EAN-13
    {kScannerLaser, 9, "]E4", nullptr},     // EAN-8
    {kScannerLaser, 10, "]e0", nullptr},    // GS1 DataBar
    {kScannerLaser, 512, "]C1", "]C1"},     // GS1-128
    {kScannerImager, 'a', "]F0", nullptr},  // Codabar
    {kScannerImager, 'b', "]A0", nullptr},  // Code 39
    {kScannerImager, 'c', "]E0", nullptr},  // UPC-A
    {kScannerImager, 'E', "]E0", nullptr},  // UPC-E
    {kScannerImager, 'd', "]E0", nullptr},  // EAN-13
    {kScannerImager, 'D', "]E4", nullptr},  // EAN-8
    {kScannerImager, 'e', "]I0", nullptr},  // Interleaved 2 of 5
    {kScannerImager, 'i', "]G0", nullptr},  // Code 93
    {kScannerImager, 'j', "]C0", "]C1"},    // Code 128
    {kScannerImager, 'I', "]C1", "]C1"},    // GS1-128
    {kScannerImager, 'y', "]e0", nullptr},  // GS1 DataBar
    {kScannerImager, 'r', "]L0", nullptr},  // PDF417
    {kScannerImager, 'w', "]d1", "]d2"},    // Data Matrix
    {kScannerImager, 's', "]Q1", "]Q3"},    // QR Code
    {kScannerImager, 'z', "]z0", nullptr},  // Aztec
    {kScannerImager, 'x', "]U0", nullptr},  // MaxiCode
};

}  // namespace

SymbologyId SymbologyIdOf(int32_t scannerType, int32_t type, bool fnc1First) {
  SymbologyId id = {{0, 0, 0, 0}, false};
  for (const IdRow& row : kIds) {
    if (row.scannerType != scannerType || row.type != type) continue;
    const bool gs1 = row.fnc1First && (fnc1First || std::strcmp(row.plain, row.fnc1First) == 0);
    std::memcpy(id.text, gs1 ? row.fnc1First : row.plain, 3);
    id.gs1 = gs1;
    break;
  }
  return id;
}

bool ParseSymbologyId(const char16_t* text, size_t length, SymbologyId* id) {
  if (length != 3 || text[0] != u']' || text[2] < u'0' || text[2] > u'9') return false;
  const char16_t c = text[1];
  if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) return false;
  *id = {{']', char(c), char(text[2]), 0}, false};
  return true;
}
