#!/usr/bin/env bash
# What `cmake --install` of a Windows build lays out: exactly the shipped
# files, programs that need no DLL beyond the system's and the maker's three,
# and the applet's export under its bare name (no stdcall decoration).
# Usage: check_install.sh BUILD_DIR OBJDUMP; the build lists the files it
# ships in BUILD_DIR/shipped_files.txt.
set -u
build=$1 objdump=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
problems=0
fail() { echo "$*"; problems=$((problems + 1)); }

expected=$(sort "$build/shipped_files.txt")
found=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$found" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$found"))"

allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll msvcrt.dll "
allowed+="ole32.dll lzreadlib.dll pixlib.dll dvclib.dll "
for program in "$prefix"/Windows/*.exe "$prefix"/Windows/*.cpl; do
  [ -e "$program" ] || continue
  for dll in $("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    [[ $allowed == *" $dll "* ]] || fail "$(basename "$program") imports $dll"
  done
done
exports=$("$objdump" -p "$prefix/Windows/SarnuSettings.cpl" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^\s*\[ *[0-9]*\] //p')
[ "$exports" = "CPlApplet" ] || fail "SarnuSettings.cpl exports '$exports'"

[ "$problems" -eq 0 ] && echo "install tree: $(wc -l <"$build/shipped_files.txt") files as shipped"
[ "$problems" -eq 0 ]
