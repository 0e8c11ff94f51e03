// One decoded barcode as the data path carries it: made once where the
// reader hands it over (laser and imager alike), its FNC1 characters handled
// at admission, filtered and typed by the output thread.
#pragma once

#include <cstddef>
#include <cstdint>

class BlockQueue;
class Settings;

// The FNC1 character (GS).
enum : unsigned char { kFnc1 = 29 };

// Laser type code that carries FNC1; imager symbology identifiers that do.
enum : int32_t { kLaserTypeFnc1 = 512, kImagerIdFnc1Upper = 73, kImagerIdFnc1Lower = 106 };

struct Barcode {
  // The data: `length` bytes of a writable buffer that has room for a
  // terminator at text[length], which MakeBarcode writes. A 0 among the data
  // ends the text that is typed.
  char* text;
  size_t length;
  // The laser's type code, or the imager's symbology identifier.
  int32_t type;
  // What the reader sends after the data (0 to 2 characters), zero-terminated.
  // Never part of `text`: the filter does not see it and it is typed after
  // whatever the filter made of the data.
  char suffix[3];
  // The reader's data began with FNC1 (the GS1 forms). It is still the first
  // byte of `text`, but for the laser's type 512, which loses it.
  bool fnc1First;
};

// A barcode as a queue item: its suffix in a head of its own, then its data
// and a terminator; its type in the item's header. Push gives 1 when stored,
// 0 when it cannot be (too long for a block, no memory). Pop gives the
// oldest item, for the queue's Release once the data is read, or null when
// the queue is empty; an item that does not hold a whole barcode gives a
// barcode whose text is null.
int PushBarcode(BlockQueue& queue, const Barcode& barcode);
char* PopBarcode(BlockQueue& queue, Barcode* barcode);

// The reader's edge. `text` holds `length` bytes as the reader library
// handed them over, in a buffer of at least `length` + 1 bytes.
//   laser: a type-512 text starting with GS loses that byte; the characters
//          the laser appended for `suffixCode` (see LaserAppendedSuffix) are
//          taken off the end into `suffix` (a read shorter than its suffix
//          gives what there is);
//   imager: the data is whole; a non-zero `suffixCode` is the suffix's one
//          character;
//   any other reader: no suffix.
Barcode MakeBarcode(int scannerType, char* text, size_t length, int32_t type,
                    unsigned char suffixCode);

// Admission: replaces each GS of the data by the first byte of the narrow
// ReplaceFNC1 text, when ReplaceFNC1Enable is on and the type carries FNC1.
// An empty ReplaceFNC1 ends the data at its first GS.
void ReplaceFnc1(const Settings& settings, Barcode* barcode);

// Laser read step: a type-512 barcode starting with GS loses that byte.
// Returns the new length; text[new length] is 0.
size_t RemoveLeadingFnc1(char* text, size_t length, int32_t typeCode);

// The characters the laser library appends to each barcode for a suffix
// code: 0 "\r", 1 "\n", 2 "\r\n", 3 "\t", 4 and above "". Used where a
// laser read is modelled (the simulator, sarnuconf's preview). The text is
// static and zero-terminated; never null.
const char* LaserAppendedSuffix(unsigned char suffixCode);

// How many characters the laser appends for a suffix code: 1 for 0, 1 and 3,
// 2 for 2, none for 4 and above.
size_t LaserSuffixLength(unsigned char suffixChar);
