#!/usr/bin/env python3
"""Reads a flavour's package back (cabextract; the .000 by the published
description of the format, cabextract's, apart from the packer; _setup.xml)
against what it must hold; then the packer must refuse what a terminal would.
Usage: BUILD SOURCE [armv7|armv4i]"""
import os, struct, subprocess, sys, tempfile, xml.etree.ElementTree as ET

REPLACE, KEEP = 0x40000002, 0x00000010  # overwrite unasked, never skipped / only where none is
# What each package holds: member, folder, installed name, flags, the file it is.
FILES = [("000Sarnu.001", "%CE2%", "Sarnu.exe", REPLACE, "bin/Sarnu.exe"),
         ("SARNUS~1.002", "%CE2%", "SarnuSettings.exe", REPLACE, "bin/SarnuSettings.exe"),
         ("SARNUS~2.003", "%CE2%", "SarnuSettings.cpl", REPLACE, "bin/SarnuSettings.cpl"),
         ("SARNUB~1.004", "%CE2%", "SarnuBulk.exe", REPLACE, "bin/SarnuBulk.exe"),
         ("000SARNU.005", r"\Documents and Settings\System Settings", "SARNU.INI", KEEP,
          "examples/SARNU.INI")]
EXPECTED = dict(app="Sarnu", provider="Sarnu", processor=2577,
                unsupported=[], hives={}, keys=[], links=[],
                files=[(int(m[-3:]), d, n, f) for m, d, n, f, _ in FILES])
# Per flavour: the package's name and the systems it installs on (minimum
# and maximum major.minor, builds unbounded), so that neither generation of
# terminal takes the other's.
FLAVOURS = {"armv7": ("Sarnu.ARMV7.CAB", (7, 0, 0, 0, 0, 0)),
            "armv4i": ("Sarnu.ARMV4I.CAB", (5, 0, 6, 99, 0, 0))}


def read_setup(data):
    """Every section of a .000; anything reaching past the file's end is an error."""
    def at(offset, fmt):
        if not 0 <= offset <= len(data) - struct.calcsize(fmt):
            raise ValueError(f"{fmt} at {offset} is outside the {len(data)} bytes")
        return struct.unpack_from(fmt, data, offset)
    def raw(offset, length):
        return bytes(at(offset, f"{length}s")[0])
    def zstr(offset, length):
        if length < 1 or raw(offset, length)[-1] != 0 or 0 in raw(offset, length)[:-1]:
            raise ValueError(f"string at {offset} does not end at its length's zero")
        return raw(offset, length - 1).decode("ascii")
    def path(offset, length):  # string ids ending in 0
        ids = at(offset, f"<{length // 2}H")
        if length % 2 or ids[-1] != 0 or 0 in ids[:-1]:
            raise ValueError(f"path at {offset} is not a list of string ids ending in 0")
        return "\\".join(strings[i] for i in ids[:-1])
    def section(index, fmt, decode):  # entries back to back, each header ending in its length
        pos, entries = offsets[index], []
        for _ in range(counts[index]):
            fields = at(pos, fmt)
            entries.append(decode(pos + struct.calcsize(fmt), *fields))
            pos += struct.calcsize(fmt) + fields[-1]
        return entries

    signature, _, size, _, _, processor, *versions = at(0, "<4s5I6I")
    counts, offsets, names = at(48, "<6H"), at(60, "<6I"), at(84, "<6H")
    if signature != b"MSCE" or size != len(data) or not 100 <= min(offsets) <= max(offsets) <= size:
        raise ValueError(f"signature {signature}, size {size} of {len(data)}, offsets {offsets}")
    strings = dict(section(0, "<HH", lambda p, sid, n: (sid, zstr(p, n))))
    dirs = dict(section(1, "<HH", lambda p, did, n: (did, path(p, n))))
    hives = dict(section(3, "<4H", lambda p, hid, root, _, n: (hid, (root, path(p, n)))))
    return dict(app=zstr(*names[0:2]), provider=zstr(*names[2:4]), processor=processor,
                versions=tuple(versions), hives=hives,
                unsupported=[s.decode("ascii") for s in raw(*names[4:6]).split(b"\0") if s],
                files=section(2, "<HHHIH", lambda p, fid, did, _, flags, n:
                              (fid, dirs[did], zstr(p, n), flags)),
                keys=section(4, "<HHHIH", lambda p, _, hid, subst, kind, n:
                             (hives[hid], *raw(p, n).split(b"\0", 1), subst, kind)),
                links=section(5, "<6H", lambda p, _, __, base, target, kind, n:
                              (base, target, kind, path(p, n))))


def main(build, source, flavour="armv7"):
    name, versions = FLAVOURS[flavour]
    expected = dict(EXPECTED, versions=versions)
    cab, problems = os.path.join(build, name), []
    listing = subprocess.run(["cabextract", "-l", cab], capture_output=True, text=True).stdout
    members = [line.split("|")[2].strip() for line in listing.splitlines() if line.count("|") == 2][1:]
    wanted = ["000Sarnu.000"] + sorted((f[0] for f in FILES), key=lambda m: -int(m[-3:])) + ["_setup.xml"]
    if members != wanted or subprocess.run(["cabextract", "-q", "-t", cab], capture_output=True).returncode:
        problems.append(f"members {members}, wanted {wanted} (or cabextract -t failed)")
    with tempfile.TemporaryDirectory() as out:
        subprocess.run(["cabextract", "-q", "-d", out, cab], check=True)
        read = lambda *path: open(os.path.join(*path), "rb").read()
        decoded = read_setup(read(out, "000Sarnu.000"))
        problems += [f"{key}: {decoded[key]}, wanted {value}" for key, value in expected.items()
                     if decoded[key] != value]
        problems += [f"{m} is not {built}" for m, _, _, _, built in FILES
                     if read(out, m) != read(build if built.startswith("bin/") else source, built)]
        if subprocess.run(["xmllint", "--noout", os.path.join(out, "_setup.xml")]).returncode:
            problems.append("_setup.xml is not well formed")
        doc = ET.parse(os.path.join(out, "_setup.xml")).getroot()
    extracts = [(where.get("type"), target.get("type"), parm.get("value"))
                for where in doc.find("characteristic[@type='FileOperation']")
                for target in where for parm in target.iter("parm") if parm.get("name") == "Source"]
    install = {p.get("name"): p.get("value") for p in doc.find("characteristic[@type='Install']")}
    # The document cannot say "keep a file that exists": it leaves those out.
    in_setup = [(d, n, m) for m, d, n, f, _ in FILES if f != KEEP]
    if extracts != in_setup or not {m for _, _, m in extracts} <= set(members) or \
            (install["AppName"], install["NumFiles"]) != (decoded["app"], str(len(in_setup))):
        problems.append(f"_setup.xml extracts {extracts} as {install}, the .000 {in_setup}")
    problems += refusals(os.path.join(build, "bin/Sarnu.exe"))
    print("\n".join(problems) or f"{name}: {len(members)} members, {os.path.getsize(cab)} bytes, "
          f"the .000's {len(decoded['files'])} files as listed, _setup.xml agrees, bad lists refused")
    return 1 if problems else 0


def refusals(payload):
    """Lists a terminal would refuse: the packer says why and writes nothing."""
    row = lambda member, name="f.exe": f"file | {member} | %CE2% | {name} | replace | {payload}"
    head = ["app | Sarnu", "provider | Sarnu", "processor | 2577", "system | 7.0 | 0.0", "installdir | %CE2%"]
    cases = [([row(f"F.{n % 998 + 1:03d}", f"f{n}") for n in range(999)], "at most 998"),
             ([row("SARNUSETT.001")], "not an 8.3 name"),
             ([row("A.001", "a"), row("B.001", "b")], "has the number 001"),
             (["app | " + "S" * 71, row("A.001")], "the installer takes 70"),
             ([row("A.001", "n" * 255)], "longer than a path")]
    packer, problems = os.path.join(os.path.dirname(__file__), "../../cmake/ce-cab.py"), []
    with tempfile.TemporaryDirectory() as work:
        listed, cab = os.path.join(work, "list"), os.path.join(work, "bad.CAB")
        for lines, message in cases:
            with open(listed, "w") as f:
                f.write("\n".join(head + lines) + "\n")
            run = subprocess.run([sys.executable, packer, listed, cab], capture_output=True, text=True)
            if run.returncode == 0 or message not in run.stderr or os.path.exists(cab):
                problems.append(f"list wanting '{message}': exit {run.returncode}, {run.stderr.strip()}")
    return problems


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
