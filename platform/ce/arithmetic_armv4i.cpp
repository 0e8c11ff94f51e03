// Division and atomics for the older terminals' ARM code (ARMv4/v5 have no
// divide instruction and no LDREX). The compiler calls the GNU helpers; the 32-bit ones go to
// coredll's __rt_sdiv and __rt_udiv, which take the divisor in r0 and the
// dividend in r1 and give the quotient in r0 and the remainder in r1. The
// 64-bit ones are divide64.cpp's: coredll's own have no convention we can
// rely on.
#include <cstdint>

#include "divide64.h"

// Each 32-bit helper swaps its operands into coredll's order; the remainder
// forms keep r1. ARM mode, returning with bx so that a Thumb caller works.
#define SARNU_DIVIDE32(name, system, result) \
  "  .globl " name "\n"                     \
  "  .p2align 2\n"                          \
  name ":\n"                                \
  "  stmfd sp!, {r4, lr}\n"                 \
  "  mov r2, r0\n"                          \
  "  mov r0, r1\n"                          \
  "  mov r1, r2\n"                          \
  "  bl " system "\n"                       \
  "  mov r0, " result "\n"                  \
  "  ldmfd sp!, {r4, lr}\n"                 \
  "  bx lr\n"

asm("  .text\n"
    "  .arm\n"
    SARNU_DIVIDE32("__divsi3", "__rt_sdiv", "r0")
    SARNU_DIVIDE32("__modsi3", "__rt_sdiv", "r1")
    SARNU_DIVIDE32("__udivsi3", "__rt_udiv", "r0")
    SARNU_DIVIDE32("__umodsi3", "__rt_udiv", "r1"));

extern "C" {

int64_t __divdi3(int64_t dividend, int64_t divisor) {
  int64_t qr[2] = {dividend, divisor};
  SarnuSignedDivide64(qr);
  return qr[0];
}

int64_t __moddi3(int64_t dividend, int64_t divisor) {
  int64_t qr[2] = {dividend, divisor};
  SarnuSignedDivide64(qr);
  return qr[1];
}

uint64_t __udivdi3(uint64_t dividend, uint64_t divisor) {
  uint64_t qr[2] = {dividend, divisor};
  SarnuUnsignedDivide64(qr);
  return qr[0];
}

uint64_t __umoddi3(uint64_t dividend, uint64_t divisor) {
  uint64_t qr[2] = {dividend, divisor};
  SarnuUnsignedDivide64(qr);
  return qr[1];
}

// coredll's interlocked calls under names of our own: the MinGW headers make
// the Win32 names compiler intrinsics, which on ARMv4 come back here.
int32_t CoreExchange(volatile int32_t* target, int32_t value) __asm__("InterlockedExchange");
int32_t CoreCompareExchange(volatile int32_t* target, int32_t value, int32_t comparand)
    __asm__("InterlockedCompareExchange");
int32_t CoreExchangeAdd(volatile int32_t* target, int32_t value) __asm__("InterlockedExchangeAdd");

}  // extern "C"

// The compiler's atomic helpers, under their own names through asm labels
// (clang refuses a definition of a builtin's name). CE 5 and 6 run on one
// core: an aligned load or store is atomic and a call is a compiler
// barrier, so only read-modify-write needs the kernel's interlocked calls.
#define SARNU_ATOMIC(type, name, helper) extern "C" type name __asm__(helper)

SARNU_ATOMIC(uint32_t, AtomicLoad4(const volatile void* p, int), "__atomic_load_4");
SARNU_ATOMIC(uint8_t, AtomicLoad1(const volatile void* p, int), "__atomic_load_1");
SARNU_ATOMIC(void, AtomicStore4(volatile void* p, uint32_t value, int), "__atomic_store_4");
SARNU_ATOMIC(void, AtomicStore1(volatile void* p, uint8_t value, int), "__atomic_store_1");
SARNU_ATOMIC(uint32_t, AtomicExchange4(volatile void* p, uint32_t value, int),
             "__atomic_exchange_4");
SARNU_ATOMIC(uint32_t, AtomicFetchAdd4(volatile void* p, uint32_t value, int),
             "__atomic_fetch_add_4");
SARNU_ATOMIC(uint32_t, SyncFetchAdd4(volatile void* p, uint32_t value), "__sync_fetch_and_add_4");
SARNU_ATOMIC(uint32_t, SyncFetchSub4(volatile void* p, uint32_t value), "__sync_fetch_and_sub_4");
SARNU_ATOMIC(uint32_t, SyncExchange4(volatile void* p, uint32_t value), "__sync_lock_test_and_set_4");
SARNU_ATOMIC(uint32_t, SyncCompareSwap4(volatile void* p, uint32_t expected, uint32_t value),
             "__sync_val_compare_and_swap_4");
SARNU_ATOMIC(uint8_t, SyncCompareSwap1(volatile void* p, uint8_t expected, uint8_t value),
             "__sync_val_compare_and_swap_1");
SARNU_ATOMIC(uint8_t, AtomicExchange1(volatile void* p, uint8_t value, int), "__atomic_exchange_1");

namespace {

volatile int32_t* Word(volatile void* p) { return static_cast<volatile int32_t*>(p); }

}  // namespace

uint32_t AtomicLoad4(const volatile void* p, int) { return *static_cast<const volatile uint32_t*>(p); }
uint8_t AtomicLoad1(const volatile void* p, int) { return *static_cast<const volatile uint8_t*>(p); }
void AtomicStore4(volatile void* p, uint32_t value, int) { *static_cast<volatile uint32_t*>(p) = value; }
void AtomicStore1(volatile void* p, uint8_t value, int) { *static_cast<volatile uint8_t*>(p) = value; }

uint32_t AtomicExchange4(volatile void* p, uint32_t value, int) {
  return uint32_t(CoreExchange(Word(p), int32_t(value)));
}
uint32_t AtomicFetchAdd4(volatile void* p, uint32_t value, int) {
  return uint32_t(CoreExchangeAdd(Word(p), int32_t(value)));
}
uint32_t SyncFetchAdd4(volatile void* p, uint32_t value) {
  return uint32_t(CoreExchangeAdd(Word(p), int32_t(value)));
}
uint32_t SyncFetchSub4(volatile void* p, uint32_t value) {
  return uint32_t(CoreExchangeAdd(Word(p), int32_t(0 - value)));
}
uint32_t SyncExchange4(volatile void* p, uint32_t value) {
  return uint32_t(CoreExchange(Word(p), int32_t(value)));
}
uint32_t SyncCompareSwap4(volatile void* p, uint32_t expected, uint32_t value) {
  return uint32_t(CoreCompareExchange(Word(p), int32_t(value), int32_t(expected)));
}

// A byte has no interlocked call: swap the aligned word that holds it, again
// until no other byte of that word changed meanwhile (little-endian).
uint8_t SyncCompareSwap1(volatile void* p, uint8_t expected, uint8_t value) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(p);
  volatile int32_t* word = reinterpret_cast<volatile int32_t*>(address & ~uintptr_t(3));
  const unsigned shift = unsigned(address & 3) * 8;
  for (;;) {
    const uint32_t seen = uint32_t(*word);
    const uint8_t current = uint8_t(seen >> shift);
    if (current != expected) return current;
    const uint32_t wanted = (seen & ~(uint32_t(0xFF) << shift)) | (uint32_t(value) << shift);
    if (uint32_t(CoreCompareExchange(word, int32_t(wanted), int32_t(seen))) == seen) return current;
  }
}

uint8_t AtomicExchange1(volatile void* p, uint8_t value, int) {
  uint8_t seen = *static_cast<volatile uint8_t*>(p);
  for (uint8_t before; (before = SyncCompareSwap1(p, seen, value)) != seen;) seen = before;
  return seen;
}
