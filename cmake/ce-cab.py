#!/usr/bin/env python3
"""Packs the terminal's install package: a cabinet that the terminal's own
installer (wceload) takes. From a package list it writes the binary setup
file (the member with extension .000, read by the older installers) and the
provisioning document _setup.xml (read by Windows Mobile 5 and later and by
Embedded Compact 7 and 2013), and packs them with the payload, uncompressed,
with Debian's gcab.

Usage: ce-cab.py [--gcab PROGRAM] LIST OUTPUT.CAB

The list has one entry a line, its fields separated by '|' (which no Windows
file name holds); blank lines and lines starting with '#' are skipped:

    app        | NAME                 the application's name
    provider   | NAME                 its maker's name
    processor  | NUMBER               SYSTEM_INFO.dwProcessorType (ARM: 2577)
    system     | MIN | MAX            Windows CE versions major.minor; 0.0: none
    installdir | FOLDER               the application's folder for _setup.xml
    file | MEMBER | FOLDER | NAME | replace|keep | SOURCE

MEMBER is the 8.3 name in the cabinet; its three-digit extension is the
file's number (001 to 998: 000 is the setup file, 999 a setup DLL). FOLDER
is %CEn% (the installer's standard folders), optionally followed by
\\sub\\folders, or an absolute path. "replace" overwrites what is there
without asking (the terminal's programs of an earlier package); "keep"
installs the file only where none of that name exists (a site's settings).

The .000 follows the published reverse-engineered description of the format
(cabextract's "Windows CE installation cabinet (.CAB) file format"). Where
writers differ from it, on padding strings and on whether a length counts
the terminating zero, this one does as the description says: strings sit
back to back, and every string length counts its zero.

Anything the installer would refuse or misread (more than 998 files, a
member that is not 8.3, two files with one number, a string over the
installer's limits) ends the run with a message and no package."""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PAYLOAD_NUMBERS = range(1, 999)  # 000: the setup file, 999: a setup DLL
APPNAME_LIMIT = 70               # the Install provider's AppName
MAX_PATH = 260                   # a path on the terminal, its zero included
                                 # (a %CEn% counted as written)
# What a name part of 8.3 may hold besides letters and digits.
MEMBER = re.compile(r"^([A-Za-z0-9!#$%&'()@^_`{}~-]{1,8})\.([0-9]{3})$")
STANDARD_FOLDER = re.compile(r"^%CE([0-9]{1,2})%$")
NOT_IN_FILE_NAMES = set('<>:"/\\|?*')

# File flags of the setup file.
NO_OVERWRITE = 0x00000010   # keep a file that exists
NO_SKIP = 0x00000002        # a file that cannot be written fails the install
IGNORE_DATE = 0x40000000    # overwrite without comparing dates (no question)
FLAGS = {"replace": IGNORE_DATE | NO_SKIP, "keep": NO_OVERWRITE}

SIGNATURE = b"MSCE"
HEADER_SIZE = 100


class PackageError(Exception):
    pass


class Package:
    def __init__(self):
        self.app = None
        self.provider = None
        self.processor = None
        self.system = None  # ((major, minor), (major, minor))
        self.installdir = None
        self.files = []     # dicts: number, member, folder, name, flags, source, line


def text(value, what, limit=None):
    """A string the installer stores as ASCII, without control characters."""
    if not value:
        raise PackageError(f"{what} is empty")
    if not all(" " <= c <= "~" for c in value):
        raise PackageError(f"{what} '{value}' holds a character that is not printable ASCII")
    if limit and len(value) > limit:
        raise PackageError(f"{what} '{value}' is {len(value)} characters; the installer takes {limit}")
    return value


def version(value, what):
    match = re.fullmatch(r"([0-9]+)\.([0-9]+)", value)
    if not match:
        raise PackageError(f"{what} '{value}' is not MAJOR.MINOR")
    return int(match.group(1)), int(match.group(2))


def folder_parts(folder):
    """The parts of a destination folder as the setup file stores them: a
    leading %CEn% or an absolute path's first part with its backslash, then
    one part per sub-folder."""
    if folder.startswith("\\"):
        parts = folder[1:].split("\\")
        parts[0] = "\\" + parts[0]
    else:
        parts = folder.split("\\")
        standard = STANDARD_FOLDER.match(parts[0])
        if not standard or not 1 <= int(standard.group(1)) <= 17:
            raise PackageError(f"folder '{folder}' is neither absolute nor under %CE1% to %CE17%")
    for part in parts:
        name = part.lstrip("\\")
        if not name or set(name) & NOT_IN_FILE_NAMES or name != name.strip(" ."):
            raise PackageError(f"folder '{folder}' has an empty or invalid part '{part}'")
    return parts


def add_file(package, fields):
    if len(fields) != 5:
        raise PackageError("a file takes MEMBER | FOLDER | NAME | replace|keep | SOURCE")
    member, folder, name, how, source = fields
    match = MEMBER.match(member)
    if not match:
        raise PackageError(f"member '{member}' is not an 8.3 name with a three-digit extension")
    number = int(match.group(2))
    if number not in PAYLOAD_NUMBERS:
        raise PackageError(f"member '{member}': payload files are numbered 001 to 998")
    text(folder, "folder")
    folder_parts(folder)
    text(name, "file name")
    if set(name) & NOT_IN_FILE_NAMES or name != name.strip(" ."):
        raise PackageError(f"file name '{name}' is not a valid file name")
    if len(folder) + 1 + len(name) + 1 > MAX_PATH:
        raise PackageError(f"'{folder}\\{name}' is longer than a path on the terminal")
    if how not in FLAGS:
        raise PackageError(f"'{how}' is neither replace nor keep")
    if not os.path.isfile(source):
        raise PackageError(f"{source}: no such file")
    package.files.append(dict(number=number, member=member, folder=folder, name=name,
                              flags=FLAGS[how], source=source))


def read_list(path):
    package = Package()
    with open(path, encoding="utf-8") as f:
        for line_number, line in enumerate(f, 1):
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            key, *fields = (field.strip() for field in line.split("|"))
            try:
                if key == "file":
                    add_file(package, fields)
                    package.files[-1]["line"] = line_number
                elif key in ("app", "provider", "processor", "installdir") and len(fields) == 1:
                    setattr(package, key, fields[0])
                elif key == "system" and len(fields) == 2:
                    package.system = (version(fields[0], "minimum system"),
                                      version(fields[1], "maximum system"))
                    if (0, 0) < package.system[1] < package.system[0]:
                        raise PackageError("the maximum system is below the minimum")
                else:
                    raise PackageError(f"unknown or malformed entry '{line.strip()}'")
            except PackageError as e:
                raise PackageError(f"{path}:{line_number}: {e}") from None
    check_package(package, path)
    return package


def check_package(package, path):
    missing = [key for key in ("app", "provider", "processor", "system", "installdir")
               if getattr(package, key) is None]
    if missing:
        raise PackageError(f"{path}: no {', '.join(missing)}")
    text(package.app, "application name", APPNAME_LIMIT)
    text(package.provider, "provider name")
    if not package.processor.isdigit():
        raise PackageError(f"{path}: processor '{package.processor}' is not a number")
    folder_parts(text(package.installdir, "installdir"))
    if not package.files:
        raise PackageError(f"{path}: the package holds no file")
    if len(package.files) > len(PAYLOAD_NUMBERS):
        raise PackageError(f"{path}: {len(package.files)} files; a package holds at most "
                           f"{len(PAYLOAD_NUMBERS)}")
    numbers, targets = {}, set()
    for f in package.files:
        if f["number"] in numbers:
            raise PackageError(f"{path}:{f['line']}: member '{f['member']}' has the number "
                               f"{f['number']:03d} of '{numbers[f['number']]}'")
        numbers[f["number"]] = f["member"]
        target = (f["folder"].lower(), f["name"].lower())
        if target in targets:
            raise PackageError(f"{path}:{f['line']}: '{f['folder']}\\{f['name']}' is installed twice")
        targets.add(target)


def setup_member(app):
    """The setup file's own 8.3 name: the application's name, its letters
    and digits, left-padded with 0 to eight characters."""
    stem = re.sub(r"[^A-Za-z0-9]", "", app)[:8]
    return stem.rjust(8, "0") + ".000"


def setup_file(package):
    """The .000 member: the fixed header, then APPNAME, PROVIDER, the empty
    UNSUPPORTED list, STRINGS, DIRS, FILES and the (empty) registry and link
    sections, in that order."""
    strings, dirs = {}, {}  # text -> id, folder -> (id, string ids)
    for f in package.files:
        if f["folder"] not in dirs:
            ids = []
            for part in folder_parts(f["folder"]):
                ids.append(strings.setdefault(part, len(strings) + 1))
            dirs[f["folder"]] = (len(dirs) + 1, ids)

    def zstring(value):
        return value.encode("ascii") + b"\0"

    appname, provider = zstring(package.app), zstring(package.provider)
    string_section = b"".join(struct.pack("<HH", sid, len(zstring(s))) + zstring(s)
                              for s, sid in strings.items())
    dir_section = b"".join(struct.pack("<HH", did, 2 * (len(ids) + 1)) +
                           struct.pack(f"<{len(ids) + 1}H", *ids, 0)
                           for did, ids in dirs.values())
    file_section = b"".join(struct.pack("<HHHIH", f["number"], dirs[f["folder"]][0], f["number"],
                                        f["flags"], len(zstring(f["name"]))) + zstring(f["name"])
                            for f in package.files)

    offset = HEADER_SIZE
    appname_at, offset = offset, offset + len(appname)
    provider_at, offset = offset, offset + len(provider)
    unsupported_at = offset
    sections = [string_section, dir_section, file_section, b"", b"", b""]
    section_at = []
    for section in sections:
        section_at.append(offset)
        offset += len(section)
    if provider_at + len(provider) > 0xFFFF:
        raise PackageError("the application and provider names do not fit the setup file's "
                           "16-bit offsets")
    (min_major, min_minor), (max_major, max_minor) = package.system
    counts = [len(strings), len(dirs), len(package.files), 0, 0, 0]
    header = struct.pack("<4s5I6I6H6I8H", SIGNATURE, 0, offset, 0, 1, int(package.processor),
                         min_major, min_minor, max_major, max_minor, 0, 0,
                         *counts, *section_at,
                         appname_at, len(appname), provider_at, len(provider),
                         unsupported_at, 0, 0, 0)
    return header + appname + provider + b"".join(sections)


def setup_xml(package):
    """_setup.xml: the same install as the setup file for the installers that
    read a provisioning document. That document has no way to say "keep a
    file that exists", so the files to keep are left out of it: a site's own
    file is never overwritten, at the price of the example not reaching
    terminals whose installer reads only this document."""
    extracted = [f for f in package.files if not f["flags"] & NO_OVERWRITE]
    folders = list(dict.fromkeys(f["folder"] for f in extracted))
    doc = ET.Element("wap-provisioningdoc")
    install = ET.SubElement(doc, "characteristic", type="Install")
    for name, value in [("InstallPhase", "install"), ("AppName", package.app),
                        ("InstallDir", package.installdir), ("NumDirs", len(folders)),
                        ("NumFiles", len(extracted)), ("NumRegKeys", 0),
                        ("NumRegValues", 0), ("NumShortcuts", 0)]:
        parm = ET.SubElement(install, "parm", name=name, value=str(value))
        if name == "InstallDir":
            parm.set("translation", "install")
    operations = ET.SubElement(doc, "characteristic", type="FileOperation")
    for folder in folders:
        where = ET.SubElement(operations, "characteristic", type=folder, translation="install")
        ET.SubElement(where, "characteristic", type="MakeDir")
        for f in (f for f in extracted if f["folder"] == folder):
            target = ET.SubElement(where, "characteristic", type=f["name"], translation="install")
            extract = ET.SubElement(target, "characteristic", type="Extract")
            ET.SubElement(extract, "parm", name="Source", value=f["member"])
    ET.indent(doc)
    return ET.tostring(doc, encoding="utf-8", xml_declaration=False) + b"\n"


def pack(package, output, gcab):
    """Writes the cabinet: the setup file first, then the payload in
    descending order of its numbers, then _setup.xml (the order the
    installer expects)."""
    with tempfile.TemporaryDirectory() as stage:
        members = [setup_member(package.app)]
        with open(os.path.join(stage, members[0]), "wb") as f:
            f.write(setup_file(package))
        for file in sorted(package.files, key=lambda f: f["number"], reverse=True):
            shutil.copyfile(file["source"], os.path.join(stage, file["member"]))
            members.append(file["member"])
        with open(os.path.join(stage, "_setup.xml"), "wb") as f:
            f.write(setup_xml(package))
        members.append("_setup.xml")
        partial = output + ".partial"
        result = subprocess.run([gcab, "-c", "-n", partial] + [os.path.join(stage, m) for m in members],
                                capture_output=True, text=True)
        if result.returncode != 0:
            if os.path.exists(partial):
                os.unlink(partial)
            raise PackageError(f"gcab failed: {result.stderr.strip()}")
        os.replace(partial, output)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--gcab", default="gcab")
    parser.add_argument("list")
    parser.add_argument("output")
    args = parser.parse_args()
    # A failed run leaves no package: an older one would look like this one.
    if os.path.exists(args.output):
        os.unlink(args.output)
    try:
        pack(read_list(args.list), args.output, args.gcab)
    except (PackageError, OSError, UnicodeDecodeError) as e:
        sys.exit(f"ce-cab.py: {e}")


if __name__ == "__main__":
    main()
