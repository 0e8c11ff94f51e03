// The barcode value: made at the reader's edge, FNC1 handled at admission.
#include "barcode.h"

#include <cstring>
#include <iterator>

#include "block_queue.h"
#include "settings.h"

namespace {

struct QueuedHead {
  char suffix[3];  // zero-filled behind the suffix's 0 to 2 characters
  uint8_t flags;   // kFnc1First
};

enum : uint8_t { kFnc1First = 1 };

bool CarriesFnc1(int32_t typeCode) {
  return typeCode == kLaserTypeFnc1 || typeCode == kImagerIdFnc1Upper ||
         typeCode == kImagerIdFnc1Lower;
}

}  // namespace

const char* LaserAppendedSuffix(unsigned char suffixCode) {
  switch (suffixCode) {
    case 0:
      return "\r";
    case 1:
      return "\n";
    case 2:
      return "\r\n";
    case 3:
      return "\t";
    default:
      return "";
  }
}

size_t LaserSuffixLength(unsigned char suffixChar) {
  return std::strlen(LaserAppendedSuffix(suffixChar));
}

size_t RemoveLeadingFnc1(char* text, size_t length, int32_t typeCode) {
  if (typeCode != kLaserTypeFnc1 || length == 0 || static_cast<unsigned char>(text[0]) != kFnc1) {
    return length;
  }
  std::memmove(text, text + 1, length - 1);
  text[length - 1] = 0;
  return length - 1;
}

Barcode MakeBarcode(int scannerType, char* text, size_t length, int32_t type,
                    unsigned char suffixCode) {
  Barcode barcode = {text, length, type, {0, 0, 0}, false};
  barcode.fnc1First = length != 0 && static_cast<unsigned char>(text[0]) == kFnc1;
  if (scannerType == kScannerLaser) {
    barcode.length = RemoveLeadingFnc1(text, length, type);
    size_t n = LaserSuffixLength(suffixCode);
    if (n > barcode.length) n = barcode.length;
    barcode.length -= n;
    std::memcpy(barcode.suffix, text + barcode.length, n);
  } else if (scannerType == kScannerImager) {
    barcode.suffix[0] = char(suffixCode);
  }
  text[barcode.length] = 0;
  return barcode;
}

void ReplaceFnc1(const Settings& settings, Barcode* barcode) {
  if (!settings.ReplaceFNC1Enable || !CarriesFnc1(barcode->type)) return;
  const char replacement = settings.ReplaceFNC1.Narrow[0];
  for (size_t i = 0; i < barcode->length; ++i) {
    if (static_cast<unsigned char>(barcode->text[i]) != kFnc1) continue;
    if (replacement == 0) {
      barcode->length = i;
      barcode->text[i] = 0;
      return;
    }
    barcode->text[i] = replacement;
  }
}

int PushBarcode(BlockQueue& queue, const Barcode& barcode) {
  QueuedHead head = {{barcode.suffix[0], barcode.suffix[0] ? barcode.suffix[1] : char(0), 0},
                     uint8_t(barcode.fnc1First ? kFnc1First : 0)};
  const BlockQueue::Piece pieces[] = {
      {reinterpret_cast<const char*>(&head), sizeof head}, {barcode.text, barcode.length}, {"", 1}};
  return queue.Push(pieces, std::size(pieces), barcode.type);
}

char* PopBarcode(BlockQueue& queue, Barcode* barcode) {
  size_t length = 0;
  int32_t type = 0;
  char* item = queue.PopFront(&length, &type);
  *barcode = {};
  if (!item || length < sizeof(QueuedHead) + 1 || item[length - 1] != 0) return item;
  QueuedHead head;
  std::memcpy(&head, item, sizeof head);
  *barcode = {item + sizeof head,
              length - sizeof head - 1,
              type,
              {head.suffix[0], head.suffix[1], 0},
              (head.flags & kFnc1First) != 0};
  return item;
}
