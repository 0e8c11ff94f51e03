// Long division one bit at a time: no division instruction and no helper
// of its own, since this is the helper.
#include "divide64.h"

void SarnuUnsignedDivide64(uint64_t* qr) {
  const uint64_t dividend = qr[0];
  const uint64_t divisor = qr[1];
  uint64_t quotient = 0;
  uint64_t remainder = 0;
  if (divisor != 0) {
    for (int bit = 63; bit >= 0; --bit) {
      remainder = (remainder << 1) | ((dividend >> bit) & 1);
      if (remainder >= divisor) {
        remainder -= divisor;
        quotient |= uint64_t(1) << bit;
      }
    }
  }
  qr[0] = quotient;
  qr[1] = remainder;
}

void SarnuSignedDivide64(int64_t* qr) {
  const bool negativeDividend = qr[0] < 0;
  const bool negativeDivisor = qr[1] < 0;
  uint64_t magnitudes[2] = {negativeDividend ? 0 - uint64_t(qr[0]) : uint64_t(qr[0]),
                            negativeDivisor ? 0 - uint64_t(qr[1]) : uint64_t(qr[1])};
  SarnuUnsignedDivide64(magnitudes);
  const uint64_t quotient = negativeDividend != negativeDivisor ? 0 - magnitudes[0] : magnitudes[0];
  const uint64_t remainder = negativeDividend ? 0 - magnitudes[1] : magnitudes[1];
  qr[0] = int64_t(quotient);
  qr[1] = int64_t(remainder);
}
