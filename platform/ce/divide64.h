// 64-bit division by shifts and subtractions, for the terminal's division
// helpers (arithmetic.cpp). Plain C++, so it is tested on any machine.
#pragma once

#include <cstdint>

extern "C" {

// in: qr[0] dividend, qr[1] divisor; out: qr[0] quotient, qr[1] remainder.
// A zero divisor gives 0 and 0 (the compiler traps it before calling).
void SarnuUnsignedDivide64(uint64_t* qr);

// The same for signed operands: the quotient rounds toward zero, the
// remainder takes the dividend's sign, as C++ division does.
void SarnuSignedDivide64(int64_t* qr);
}
