// 64-bit division for the terminal's ARM code. The compiler calls
// __rt_sdiv64 and __rt_udiv64 the way the terminal's own compilers do:
// divisor in r0:r1, dividend in r2:r3, quotient back in r0:r1 and remainder
// in r2:r3 (a zero divisor was trapped by the caller). coredll has the
// 32-bit forms only; the arithmetic itself is divide64.cpp's. Also the
// stack probe for frames above a page.

// Both entries put the two operands on the stack as { dividend, divisor },
// let the C code work on them and load the results into r0 to r3.
#define SARNU_DIVIDE64_ENTRY(name, worker) \
  "  .globl " name "\n"                    \
  "  .def " name "\n"                      \
  "  .scl 2\n"                             \
  "  .type 32\n"                           \
  "  .endef\n"                             \
  "  .p2align 2\n"                         \
  "  .thumb_func\n"                        \
  name ":\n"                               \
  "  push {r4, lr}\n"                      \
  "  sub sp, sp, #16\n"                    \
  "  strd r2, r3, [sp]\n"                  \
  "  strd r0, r1, [sp, #8]\n"              \
  "  mov r0, sp\n"                         \
  "  bl " worker "\n"                      \
  "  ldrd r0, r1, [sp]\n"                  \
  "  ldrd r2, r3, [sp, #8]\n"              \
  "  add sp, sp, #16\n"                    \
  "  pop {r4, pc}\n"

// __chkstk: r4 holds the frame's size in words and must come back holding it
// in bytes; every page of the frame is touched from the top down, so the
// stack's guard page is met in order. Only r4 and r12 may change.
asm("  .text\n"
    "  .syntax unified\n"
    "  .thumb\n"
    SARNU_DIVIDE64_ENTRY("__rt_udiv64", "SarnuUnsignedDivide64")
    SARNU_DIVIDE64_ENTRY("__rt_sdiv64", "SarnuSignedDivide64")
    "  .globl __chkstk\n"
    "  .def __chkstk\n"
    "  .scl 2\n"
    "  .type 32\n"
    "  .endef\n"
    "  .p2align 2\n"
    "  .thumb_func\n"
    "__chkstk:\n"
    "  push {r5, r6}\n"
    "  lsls r4, r4, #2\n"
    "  add r12, sp, #8\n"
    "  mov r5, r4\n"
    "1:\n"
    "  cmp r5, #4096\n"
    "  blo 2f\n"
    "  sub r12, r12, #4096\n"
    "  ldr r6, [r12]\n"
    "  sub r5, r5, #4096\n"
    "  b 1b\n"
    "2:\n"
    "  sub r12, r12, r5\n"
    "  ldr r6, [r12]\n"
    "  pop {r5, r6}\n"
    "  bx lr\n");
