#!/usr/bin/env python3
"""Stamps what the terminal's loader reads into a linked ARM program's PE
header: the Windows CE GUI subsystem (9), for which lld has no switch, and
the system version the program is built for, as its OS and subsystem
version. An ARMV4I image (GNU ld writes machine 0x1C0) becomes 0x1C2, ARM
code with Thumb interworking, with no DLL characteristics: the older
loaders know neither address randomisation nor NX.
Usage: ce-pe-header.py PROGRAM MAJOR.MINOR [armv7|armv4i]"""
import struct
import sys

SUBSYSTEM_WINDOWS_CE_GUI = 9
MACHINE_ARM_THUMB2 = 0x1C4
MACHINE_ARM = 0x1C0
MACHINE_ARM_INTERWORKING = 0x1C2
PE32_MAGIC = 0x10B


def stamp(path, version, flavour="armv7"):
    major, minor = (int(part) for part in version.split("."))
    with open(path, "r+b") as f:
        image = bytearray(f.read())
        (pe,) = struct.unpack_from("<I", image, 0x3C)
        if image[pe:pe + 4] != b"PE\0\0":
            sys.exit(f"{path}: not a PE image")
        (machine,) = struct.unpack_from("<H", image, pe + 4)
        optional = pe + 24
        (magic,) = struct.unpack_from("<H", image, optional)
        wanted = (MACHINE_ARM_THUMB2,) if flavour == "armv7" else \
            (MACHINE_ARM, MACHINE_ARM_INTERWORKING)
        if machine not in wanted or magic != PE32_MAGIC:
            sys.exit(f"{path}: not a 32-bit {flavour} image (machine {machine:#x})")
        if flavour == "armv4i":
            struct.pack_into("<H", image, pe + 4, MACHINE_ARM_INTERWORKING)
            struct.pack_into("<H", image, optional + 70, 0)  # DllCharacteristics
        # Optional header: OS version at 40, subsystem version at 48,
        # subsystem at 68.
        struct.pack_into("<HH", image, optional + 40, major, minor)
        struct.pack_into("<HH", image, optional + 48, major, minor)
        struct.pack_into("<H", image, optional + 68, SUBSYSTEM_WINDOWS_CE_GUI)
        f.seek(0)
        f.write(image)


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["armv7"], ["armv4i"]):
        sys.exit(__doc__)
    stamp(*sys.argv[1:])
