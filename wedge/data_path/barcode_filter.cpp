// The barcode filter chain: from the raw text of one decoded barcode to the
// text that is typed and the reader's suffix typed after it. Works in place
// on the queued copy and on the two fixed output buffers; allocates nothing.
#include "barcode_filter.h"

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
