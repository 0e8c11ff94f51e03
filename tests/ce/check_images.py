#!/usr/bin/env python3
"""Reads the ARMV4I build's images back as an older terminal's loader would
see them: machine 0x1C2, Windows CE GUI subsystem, OS and subsystem version
5.0, no DLL characteristics, programs at 0x10000, base relocations in every
image, an entry point in ARM mode (word-aligned) inside the code; and the
code must decode as ARMv4T throughout (no Thumb-2, VFP or divide crept in;
LLVM 14 reads ARMv4's multiplies only as ARMv6, where they are the same).
Usage: check_images.py BUILD [--readobj TOOL] [--objdump TOOL]"""
import argparse
import os
import re
import subprocess
import sys

WANTED = {"Machine": 0x1C2, "Subsystem": 0x9, "MajorOperatingSystemVersion": 5,
          "MinorOperatingSystemVersion": 0, "MajorSubsystemVersion": 5,
          "MinorSubsystemVersion": 0, "Characteristics (DLL)": 0}
FIELD = re.compile(r"^\s*(\w+):? (?:.*\((0x[0-9A-Fa-f]+)\)|(0x[0-9A-Fa-f]+|\d+))\s*$")
WORD = re.compile(r"^\s*([0-9a-f]+):\s+((?:[0-9a-f]{2} ){4})\s*(.*)$")
LITERAL = re.compile(r"\[pc(?:, #-?\d+)?\].*@ 0x([0-9a-f]+)")


def headers(readobj, image):
    """Number fields of the file and optional headers; the optional header's
    Characteristics are the DLL characteristics."""
    fields, block = {}, None
    for line in subprocess.run([readobj, "--file-headers", image], check=True,
                               capture_output=True, text=True).stdout.splitlines():
        if line.endswith("{") and not line.startswith(" "):
            block = line.split()[0]
        m = FIELD.match(line)
        if m:
            key = m.group(1)
            if key == "Characteristics" and block == "ImageOptionalHeader":
                key = "Characteristics (DLL)"
            fields.setdefault(key, int(m.group(2) or m.group(3), 0))
    return fields


def disassemble(objdump, image, triple):
    listing = subprocess.run([objdump, "-d", f"--triple={triple}", image], check=True,
                             capture_output=True, text=True).stdout
    words = [m.groups() for m in map(WORD.match, listing.splitlines()) if m]
    return words if triple == "armv4t" else {address: text for address, _, text in words}


def v4_multiply(text):
    """LLVM 14 decodes ARMv4's multiplies only for ARMv6 (same encoding);
    before v6 the destination must differ from the first source."""
    m = re.match(r"(mul|mla|umull|umlal|smull|smlal)(?:eq|ne|hs|lo|mi|pl|vs|vc|hi|ls|ge|lt|gt|le)?"
                 r"s?\s+(\w+), (\w+), (\w+)", text)
    if not m:
        return False
    registers = m.group(2, 3, 4)
    return registers[0] != registers[1] if m.group(1) in ("mul", "mla") else \
        len(set(registers)) == 3


def check(image, readobj, objdump):
    problems, name = [], os.path.basename(image)
    fields = headers(readobj, image)
    for key, value in WANTED.items():
        if fields.get(key) != value:
            problems.append(f"{name}: {key} {fields.get(key, -1):#x}, wanted {value:#x}")
    base = 0x10000 if name.lower().endswith(".exe") else None
    if base is not None and fields.get("ImageBase") != base:
        problems.append(f"{name}: image base {fields.get('ImageBase', 0):#x}, wanted {base:#x}")
    if not fields.get("BaseRelocationTableSize"):
        problems.append(f"{name}: no base relocations")
    entry, code, size = (fields.get(k, 0) for k in ("AddressOfEntryPoint", "BaseOfCode", "SizeOfCode"))
    if entry % 4 or not code <= entry < code + size:
        problems.append(f"{name}: entry point {entry:#x} is not ARM code in {code:#x}+{size:#x}")
    words, v6 = (disassemble(objdump, image, triple) for triple in ("armv4t", "armv6"))
    # Code may hold data: the literal pools that pc-relative loads read, jump
    # tables (addresses in the image) and the constructor lists' -1 ends.
    literals = {int(m.group(1), 16) for *_, text in words for m in [LITERAL.search(text)] if m}
    low, high = fields.get("ImageBase", 0), fields.get("ImageBase", 0) + fields.get("SizeOfImage", 0)
    data = lambda address, raw: (int(address, 16) in literals or raw == "ff ff ff ff " or
                                 low <= int.from_bytes(bytes.fromhex(raw), "little") < high)
    unknown = [f"{address}: {raw}" for address, raw, text in words if text.startswith("<unknown>")
               and not data(address, raw) and not v4_multiply(v6.get(address, ""))]
    if not words or unknown:
        problems.append(f"{name}: {len(unknown)} of {len(words)} words do not decode as "
                        f"ARMv4T: {unknown[:3]}")
    return problems, len(words)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--readobj", default="llvm-readobj")
    parser.add_argument("--objdump", default="llvm-objdump")
    args = parser.parse_args()
    folder = os.path.join(args.build, "bin")
    images = sorted(f for f in os.listdir(folder) if f.lower().endswith((".exe", ".cpl", ".dll")))
    problems, words = [], 0
    for image in images:
        found, count = check(os.path.join(folder, image), args.readobj, args.objdump)
        problems += found
        words += count
    print("\n".join(problems) or f"images: {len(images)} ARMV4I images for CE 5.0, "
          f"{words} words of code decode as ARMv4T")
    return 1 if problems or len(images) != 4 else 0


if __name__ == "__main__":
    sys.exit(main())
