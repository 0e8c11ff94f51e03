#!/usr/bin/env python3
"""Compiles one source for the ARMV4I terminals: clang writes ARM-mode
assembly for an ELF target with the terminal's calling convention, this
script makes that assembly COFF-clean, and GNU as for arm-mingw32ce writes
the object. LLVM writes no ARM-mode code for Windows targets, hence the
detour.

Usage: ce-armv4i-cc.py AS -- COMPILER ARGS... -o OBJECT -c SOURCE
(the compiler's own arguments, as the build gives them).
Exits non-zero, naming the line, on anything that cannot work on the
terminal: thread-local data, debug sections, weak references, floating
point (its helpers differ from coredll's in how comparisons return)."""
import os
import re
import subprocess
import sys

# ELF-only directives, and the ones COFF has no use for.
DROPPED = re.compile(r"\s*\.(eabi_attribute|fnstart|fnend|cantunwind|save|pad|setfp|vsave|"
                     r"personality|personalityindex|handlerdata|movsp|addrsig|addrsig_sym|"
                     r"hidden|protected|internal|size|type|ident|symver|file|loc|cfi_\w+)\b")
SECTION = re.compile(r'\s*\.section\s+("?)([^",\s]+)\1\s*(?:,\s*"([^"]*)")?(.*)$')
FLOAT_HELPER = re.compile(r"\b__(add|sub|mul|div|neg|fix|fixuns|float|floatun|extend|trunc|"
                          r"eq|ne|lt|le|gt|ge|unord|cmp)[sdx]f\d\b|\b__aeabi_[fd]\w+|\bsqrtf?\b")


class Refused(Exception):
    pass


def coff_section(name, flags, rest, line):
    """A COFF `.section` (and `.linkonce`) for one ELF section line."""
    if name.startswith((".tbss", ".tdata")) or "T" in (flags or ""):
        raise Refused(f"thread-local data: {line}")
    if name.startswith(".debug") or name.startswith(".stab"):
        raise Refused(f"debug section (build without -g): {line}")
    if name.startswith(".note"):
        return None
    comdat = ",comdat" in rest
    if name in (".init_array", ".ctors") or name.startswith((".init_array.", ".ctors.")):
        return ['\t.section .ctors,"dw"']
    if name.startswith((".fini_array", ".dtors")):
        return ['\t.section .dtors,"dw"']
    # The part after the ELF kind, so that comdat copies keep apart.
    base, _, suffix = name[1:].partition(".")
    if base == "text":
        coff, kind = ".text", "xr"
    elif base in ("rodata",):
        coff, kind = ".rdata", "dr"
    elif base == "bss" or "%nobits" in rest:
        coff, kind = ".bss", "bw"
    elif base in ("data", "data.rel", "data.rel.ro"):
        coff, kind = ".data", "dw"
    else:
        raise Refused(f"unknown section: {line}")
    if not comdat:
        return [f'\t.section {coff},"{kind}"']
    return [f'\t.section {coff}${suffix},"{kind}"', "\t.linkonce discard"]


def filter_assembly(text):
    lines, out = text.splitlines(), []
    defined = {m.group(1) for m in (re.match(r"([\w.$]+):", l) for l in lines) if m}
    local, current = set(), ["\t.text"]
    for line in lines:
        code = line.split("@", 1)[0].rstrip()
        if FLOAT_HELPER.search(code) and not re.match(r"\s*\.(ascii|asciz|string|file)\b", code):
            raise Refused(f"floating point: {line.strip()}")
        if not code.strip() or DROPPED.match(code):
            if not code.strip():
                out.append(line)
            continue
        m = SECTION.match(code)
        if m:
            section = coff_section(m.group(2), m.group(3), m.group(4), line.strip())
            if section:
                out += section
                current = section
            continue
        if code.strip() in (".text", ".data", ".bss"):
            current = [code]
        directive = code.split()
        if directive[0] == ".local":
            local.add(directive[1])
            continue
        if directive[0] == ".comm":
            symbol, size, *align = directive[1].split(",") if len(directive) == 2 else \
                "".join(directive[1:]).split(",")
            if symbol not in local:
                out.append(f"\t.comm {symbol},{size}")
                continue
            # A static's storage: its own bss bytes, aligned as asked.
            out += ['\t.section .bss,"bw"', f"\t.p2align {int(align[0]).bit_length() - 1 if align else 2}",
                    f"{symbol}:", f"\t.space {size}"] + current
            continue
        if directive[0] == ".weak":
            # Inline variables and templates: one copy kept by .linkonce.
            if directive[1] not in defined:
                raise Refused(f"weak reference: {line.strip()}")
            out.append(f"\t.globl {directive[1]}")
            continue
        if directive[0] in (".tlsdescseq", ".tlsdesccall") or "(TLS" in code or "(tpoff" in code:
            raise Refused(f"thread-local data: {line.strip()}")
        # ELF relocation kinds: in COFF an address is an address.
        if directive[0] in (".long", ".word"):
            line = re.sub(r"\((target1|target2|abs)\)", "", line)
        out.append(line)
    return "\n".join(out) + "\n"


def main(argv):
    if "--" not in argv or len(argv) < 4:
        sys.exit(__doc__)
    assembler, compiler = argv[1], argv[argv.index("--") + 1:]
    try:
        obj = compiler[compiler.index("-o") + 1]
    except (ValueError, IndexError):
        sys.exit("ce-armv4i-cc: no -o OBJECT")
    elf = obj + ".elf.s"
    args = ["-S" if a == "-c" else a for a in compiler]
    args[args.index("-o") + 1] = elf
    if subprocess.run(args).returncode:
        return 1
    with open(elf, encoding="utf-8") as f:
        text = f.read()
    try:
        coff = filter_assembly(text)
    except Refused as error:
        print(f"{elf}: {error}", file=sys.stderr)
        return 1
    with open(obj + ".s", "w", encoding="utf-8") as f:
        f.write(coff)
    run = subprocess.run([assembler, "-march=armv4t", "-mfloat-abi=soft", "-o", obj, obj + ".s"])
    if run.returncode:
        return 1
    os.remove(elf)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
