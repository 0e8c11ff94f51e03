#!/usr/bin/env python3
"""Whether the programs call only what the terminal's system exports.

The terminal's build (default): every function a program in BUILD/bin
imports (its PE import table) must be exported under that exact name by the
DLL it is imported from, or by coredll; and every __imp_ symbol of every
object of the build must be exported by one of the terminal's DLLs the
programs link, so that a miss names its source.

--desktop REFERENCE: the same question put to a desktop build's objects (the
MinGW build under Wine) for the sources the terminal's build REFERENCE
compiles, with the terminal headers' renames (aliases.txt) applied and the
desktop stand-in (--skip, e.g. platform/win32/) left out: nothing else may
depend on the desktop.

Prints each missing function with what wants it and a summary line; exits 1
when something is missing, 2 when the export lists cannot be read."""
import argparse
import os
import re
import subprocess
import sys

TERMINAL_DLLS = ("coredll", "commctrl", "aygshell", "toolhelp")
# What GNU ld's script defines for the runtime: the constructor lists.
LINKER_DEFINED = {"__CTOR_LIST__", "__DTOR_LIST__"}
NAME = re.compile(r"^[A-Za-z_?@$][A-Za-z0-9_?@$]*$")


class ListError(Exception):
    pass


def read_names(path, fields):
    """Lines of a list file without comments and blanks, split in `fields`."""
    if not os.path.isfile(path):
        raise ListError(f"{path}: missing")
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            row = line.split()
            if len(row) != fields or not all(NAME.match(x) or x == "-" for x in row):
                raise ListError(f"{path}:{number}: malformed line '{line}'")
            rows.append(row)
    if not rows:
        raise ListError(f"{path}: no names")
    return rows


def read_exports(folder):
    return {dll: {row[0] for row in read_names(os.path.join(folder, dll + ".txt"), 1)}
            for dll in TERMINAL_DLLS}


def run(tool, *args):
    return subprocess.run([tool, *args], check=True, capture_output=True, text=True).stdout


def program_imports(readobj, program):
    """(dll, function) pairs of a PE image's import tables."""
    pairs, dll = [], None
    for line in run(readobj, "--coff-imports", program).splitlines():
        line = line.strip()
        if line.startswith("Name: "):
            dll = line[6:].lower()
        elif line.startswith("Symbol: ") and dll:
            pairs.append((dll, line[8:].split(" ")[0]))
    return pairs


def objects_of(build):
    """Object files under BUILD's CMakeFiles folders, relative to BUILD."""
    found = []
    for top, _, files in os.walk(build):
        if "CMakeFiles" not in top.split(os.sep) or ".dir" not in top:
            continue
        found += [os.path.relpath(os.path.join(top, f), build) for f in files
                  if f.endswith(".obj")]
    return sorted(found)


def source_of(obj, source_root):
    """platform/CMakeFiles/sarnu_platform.dir/ce/x.cpp.obj -> platform/ce/x.cpp"""
    parts = obj.split(os.sep)
    at = parts.index("CMakeFiles")
    return os.path.join(*parts[:at], *parts[at + 2:])[: -len(".obj")]


def object_imports(nm, path, defined=None):
    """The functions an object imports: its __imp_ symbols or, with `defined`
    (objects that call the system directly, through the import library's
    thunks), every undefined name that no object of the build defines."""
    names = []
    for line in run(nm, "--undefined-only", "--format=just-symbols", path).splitlines():
        if defined is not None and line not in defined and line not in LINKER_DEFINED:
            names.append(line)
        elif defined is None and line.startswith("__imp_"):
            names.append(line[len("__imp_"):])
    return names


def defined_names(nm, paths):
    names = set()
    for path in paths:
        names.update(run(nm, "--defined-only", "--format=just-symbols", path).split())
    return names


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build")
    parser.add_argument("--exports", required=True, help="folder of the export lists")
    parser.add_argument("--desktop", metavar="REFERENCE",
                        help="check BUILD's desktop objects of REFERENCE's sources")
    parser.add_argument("--skip", action="append", default=[],
                        help="leave out sources under this folder")
    parser.add_argument("--without", metavar="LIST",
                        help="names the DLLs do not export on the system checked for "
                             "(coredll-ce6-only.txt for the older terminals)")
    parser.add_argument("--direct", action="store_true",
                        help="objects call imports by their bare names (the ARMV4I build)")
    parser.add_argument("--raw", action="store_true", help="desktop names without the renames")
    parser.add_argument("--readobj", default="llvm-readobj")
    parser.add_argument("--nm", default="llvm-nm")
    args = parser.parse_args()

    try:
        exports = read_exports(args.exports)
        aliases = {} if args.raw or not args.desktop else dict(
            read_names(os.path.join(args.exports, "aliases.txt"), 2))
        if args.without:
            absent = {row[0] for row in read_names(args.without, 1)}
            exports = {dll: names - absent for dll, names in exports.items()}
    except (ListError, UnicodeDecodeError) as error:
        print(f"export lists: {error}")
        return 2
    everything = set().union(*exports.values())

    missing = []  # (function, who)
    programs = 0
    if not args.desktop:
        bin_dir = os.path.join(args.build, "bin")
        for name in sorted(os.listdir(bin_dir)):
            if not name.lower().endswith((".exe", ".cpl", ".dll")):
                continue
            programs += 1
            for dll, function in program_imports(args.readobj, os.path.join(bin_dir, name)):
                stem = dll[:-4] if dll.endswith(".dll") else dll
                if function not in exports.get(stem, set()) | exports["coredll"]:
                    missing.append((function, f"{name} from {dll}"))

    objects = objects_of(args.desktop or args.build)
    defined = defined_names(args.nm, [os.path.join(args.build, o) for o in objects
                                      if os.path.isfile(os.path.join(args.build, o))]) \
        if args.direct else None
    checked = 0
    for obj in objects:
        source = source_of(obj, args.build)
        if any(source.startswith(folder) for folder in args.skip):
            continue
        path = os.path.join(args.build, obj)
        if not os.path.isfile(path):
            continue  # a source the desktop build does not have (platform/ce)
        checked += 1
        for function in object_imports(args.nm, path, defined):
            name = aliases.get(function, function)
            if name != "-" and name not in everything:
                missing.append((function, source))

    for function, who in sorted(set(missing)):
        print(f"missing: {function} (wanted by {who})")
    functions = len({function for function, _ in missing})
    sites = len(set(missing))
    print(f"imports: {programs} programs and {checked} objects checked, "
          f"{functions} functions missing at {sites} call sites")
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main())
