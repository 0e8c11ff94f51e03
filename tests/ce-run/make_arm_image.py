#!/usr/bin/env python3
"""Makes a small ARM-mode terminal image (PE machine 0x1C2, as the ARMV4I
toolchain links) for the loader's own check, before that toolchain's
self-check image exists. Its entry, in ARM mode, calls coredll's division
helpers and the debug output through thunks of the form that toolchain's
import libraries use ("ldr ip, [pc]; ldr pc, [ip]"), and reads data through
words that only a base relocation makes right. It returns 0 and prints
"ARM-mode image: ok", or returns the number of the check that failed. It
also imports a function that no stand-in has and never calls it.

    make_arm_image.py OUT.exe WORKDIR   (needs clang, ld.lld, llvm-objcopy, llvm-nm)
"""
import os
import struct
import subprocess
import sys

BASE = 0x10000
TEXT, DATA, RELOC = 0x1000, 0x2000, 0x3000
MAGIC = 0x5A17C0DE
IMPORTS = ["__rt_udiv", "__rt_sdiv", "OutputDebugStringW", "NoSuchExport"]
MESSAGE = "ARM-mode image: ok\n"

# The data section: a magic word, a pointer to it, the message, the imports.
MAGIC_AT, POINTER_AT, MESSAGE_AT = DATA, DATA + 4, DATA + 0x10
DESCRIPTOR_AT, LOOKUP_AT, SLOTS_AT = DATA + 0x100, DATA + 0x140, DATA + 0x160
NAMES_AT, DLL_AT = DATA + 0x200, DATA + 0x300

# Labels named reloc_* mark the words that a base relocation must adjust.
ASSEMBLY = f"""
  .arm
  .text
  .globl entry
entry:
  push {{r4, r5, r6, lr}}
  mov r5, r0              @ the instance: where the image was put
  mov r4, #1
  mov r0, #7              @ divisor
  mov r1, #100            @ dividend
  bl thunk_udiv
  cmp r0, #14
  bne fail
  cmp r1, #2
  bne fail
  mov r4, #2
  mvn r0, #6              @ -7
  mov r1, #100
  bl thunk_sdiv
  mvn r2, #13             @ -14
  cmp r0, r2
  bne fail
  cmp r1, #2
  bne fail
  mov r4, #3
  ldr r0, reloc_pointer
  ldr r0, [r0]
  ldr r0, [r0]
  ldr r2, magic
  cmp r0, r2
  bne fail
  mov r4, #4
  ldr r0, reloc_base
  cmp r0, r5
  bne fail
  ldr r0, reloc_message
  bl thunk_debug
  mov r0, #0
  pop {{r4, r5, r6, lr}}
  bx lr
fail:
  mov r0, r4
  pop {{r4, r5, r6, lr}}
  bx lr
thunk_udiv:
  ldr ip, [pc]
  ldr pc, [ip]
reloc_slot0: .word {BASE + SLOTS_AT:#x}
thunk_sdiv:
  ldr ip, [pc]
  ldr pc, [ip]
reloc_slot1: .word {BASE + SLOTS_AT + 4:#x}
thunk_debug:
  ldr ip, [pc]
  ldr pc, [ip]
reloc_slot2: .word {BASE + SLOTS_AT + 8:#x}
reloc_pointer: .word {BASE + POINTER_AT:#x}
reloc_base: .word {BASE:#x}
reloc_message: .word {BASE + MESSAGE_AT:#x}
magic: .word {MAGIC:#x}
"""


def align(n, a):
    return (n + a - 1) // a * a


def assemble(work):
    source = os.path.join(work, "arm_image.s")
    obj = os.path.join(work, "arm_image.o")
    text = os.path.join(work, "arm_image.text")
    with open(source, "w") as f:
        f.write(ASSEMBLY)
    subprocess.run(["clang", "--target=armv4t-none-eabi", "-marm", "-c", source, "-o", obj],
                   check=True)
    # The assembler leaves even a local bl to the linker; linked at 0, the
    # labels' addresses are their offsets in the section.
    linked = os.path.join(work, "arm_image.elf")
    subprocess.run(["ld.lld", "-e", "entry", "--section-start=.text=0", obj, "-o", linked],
                   check=True)
    subprocess.run(["llvm-objcopy", "-O", "binary", "--only-section=.text", linked, text],
                   check=True)
    symbols = subprocess.run(["llvm-nm", linked], check=True, capture_output=True,
                             text=True).stdout
    relocs = sorted(int(line.split()[0], 16) for line in symbols.splitlines()
                    if line.split()[-1].startswith("reloc_"))
    with open(text, "rb") as f:
        return f.read(), relocs


def data_section():
    data = bytearray(0x400)
    struct.pack_into("<II", data, 0, MAGIC, BASE + MAGIC_AT)
    message = MESSAGE.encode("utf-16-le") + b"\0\0"
    data[MESSAGE_AT - DATA:MESSAGE_AT - DATA + len(message)] = message
    struct.pack_into("<IIIII", data, DESCRIPTOR_AT - DATA, LOOKUP_AT, 0, 0, DLL_AT, SLOTS_AT)
    at = NAMES_AT
    for i, name in enumerate(IMPORTS):
        struct.pack_into("<I", data, LOOKUP_AT - DATA + 4 * i, at)
        struct.pack_into("<I", data, SLOTS_AT - DATA + 4 * i, at)
        entry = b"\0\0" + name.encode() + b"\0"
        data[at - DATA:at - DATA + len(entry)] = entry
        at += align(len(entry), 2)
    data[DLL_AT - DATA:DLL_AT - DATA + 12] = b"coredll.dll\0"
    return bytes(data)


def reloc_section(text_relocs):
    """One block per page, HIGHLOW entries, padded to a multiple of four."""
    out = b""
    for page, offsets in ((TEXT, text_relocs), (DATA, [POINTER_AT - DATA])):
        entries = [0x3000 | o for o in offsets]
        if len(entries) % 2:
            entries.append(0)
        out += struct.pack("<II", page, 8 + 2 * len(entries))
        out += struct.pack(f"<{len(entries)}H", *entries)
    return out


def image(text, text_relocs):
    data = data_section()
    relocs = reloc_section(text_relocs)
    sections = [(b".text", TEXT, text, 0x60000020), (b".data", DATA, data, 0xC0000040),
                (b".reloc", RELOC, relocs, 0x42000040)]
    headers = bytearray(0x400)
    headers[0:2] = b"MZ"
    struct.pack_into("<I", headers, 0x3C, 0x40)
    headers[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", headers, 0x44, 0x1C2, len(sections), 0, 0, 0, 224, 0x0102)
    opt = 0x58
    struct.pack_into("<HBBIIIIII", headers, opt, 0x10B, 2, 40, align(len(text), 0x200),
                     0x400 + align(len(relocs), 0x200), 0, TEXT, TEXT, DATA)
    struct.pack_into("<IIIHHHHHHIIIIHHIIIIII", headers, opt + 28, BASE, 0x1000, 0x200,
                     5, 0, 0, 0, 5, 0, 0, RELOC + 0x1000, 0x400, 0, 9, 0,
                     0x10000, 0x1000, 0x100000, 0x1000, 0, 16)
    struct.pack_into("<II", headers, opt + 96 + 8, DESCRIPTOR_AT, 40)
    struct.pack_into("<II", headers, opt + 96 + 40, RELOC, len(relocs))
    raw = 0x400
    body = b""
    for i, (name, rva, content, flags) in enumerate(sections):
        size = align(len(content), 0x200)
        struct.pack_into("<8sIIIIIIHHI", headers, opt + 224 + 40 * i, name, len(content), rva,
                         size, raw, 0, 0, 0, 0, flags)
        body += content + b"\0" * (size - len(content))
        raw += size
    return bytes(headers) + body


def main():
    out, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    text, relocs = assemble(work)
    with open(out, "wb") as f:
        f.write(image(text, relocs))


if __name__ == "__main__":
    main()
