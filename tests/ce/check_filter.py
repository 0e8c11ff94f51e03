#!/usr/bin/env python3
"""The ARMV4I compile step's assembly filter (cmake/ce-armv4i-cc.py): a
static's storage must not swallow the code after it, constructor lists and
comdat copies take their COFF forms, and what cannot work on the terminal
is refused rather than assembled. Usage: check_filter.py SOURCE"""
import importlib.util
import os
import sys

found = importlib.util.spec_from_file_location(
    "filter", os.path.join(sys.argv[1], "cmake", "ce-armv4i-cc.py"))
cc = importlib.util.module_from_spec(found)
found.loader.exec_module(cc)

KEPT = [  # ELF in, what must come out (in order)
    ('\t.section .rodata.a,"aG",%progbits,a,comdat\n\t.weak a\na:\n\t.long 1\n\t.local s\n'
     '\t.comm s,8,8\n\t.long 2\n',
     ['.section .rdata$a,"dr"', ".linkonce discard", ".globl a", "a:", ".long 1",
      '.section .bss,"bw"', ".p2align 3", "s:", ".space 8", '.section .rdata$a,"dr"',
      ".linkonce discard", ".long 2"]),
    ('\t.section .init_array,"aw",%init_array\n\t.long\t_GLOBAL__sub_I_x(target1)\n',
     ['.section .ctors,"dw"', ".long\t_GLOBAL__sub_I_x"]),
    ('\t.eabi_attribute 6, 2\n\t.type f,%function\n\t.fnstart\n\tbx lr\n\t.fnend\n\t.size f, 4\n',
     ["bx lr"]),
]
REFUSED = ["\tbl __adddf3\n", "\tbl __aeabi_dcmplt\n", "\t.long __ltdf2\n", "\t.weak missing\n",
           '\t.section .tbss,"awT",%nobits\n', '\t.section .debug_info,"",%progbits\n']

problems = []
for source, wanted in KEPT:
    got = [line.strip() for line in cc.filter_assembly(source).splitlines() if line.strip()]
    if got != wanted:
        problems.append(f"{source!r} gave {got}, wanted {wanted}")
for source in REFUSED:
    try:
        cc.filter_assembly(source)
        problems.append(f"{source!r} was not refused")
    except cc.Refused:
        pass
print("\n".join(problems) or f"filter: {len(KEPT)} translations as wanted, {len(REFUSED)} refusals")
sys.exit(1 if problems else 0)
