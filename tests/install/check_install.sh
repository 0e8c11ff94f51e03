#!/usr/bin/env bash
# What `cmake --install` of a Windows build lays out: exactly the shipped
# files, programs that import no DLL beyond the system's (the build lists
# them) and the maker's three, and the applet's export under its bare name
# (no stdcall decoration).
# Usage: check_install.sh BUILD_DIR READER, READER being a MinGW objdump or
# llvm-readobj (which reads the terminal's ARM programs); the build lists
# what it ships in BUILD_DIR/shipped_files.txt and shipped_dlls.txt.
set -u
build=$1 reader=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
problems=0
fail() { echo "$*"; problems=$((problems + 1)); }

case $(basename "$reader") in
  *readobj*)
    imported_dlls() { "$reader" --coff-imports "$1" | sed -n 's/^\s*Name: //p'; }
    exported_names() { "$reader" --coff-exports "$1" | sed -n 's/^\s*Name: \(..*\)$/\1/p'; } ;;
  *)
    imported_dlls() { "$reader" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
    exported_names() {
      "$reader" -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^\s*\[ *[0-9]*\] //p'
    } ;;
esac

expected=$(sort "$build/shipped_files.txt")
found=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$found" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$found"))"

allowed=" $(tr '\n' ' ' <"$build/shipped_dlls.txt")lzreadlib.dll pixlib.dll dvclib.dll "
for program in "$prefix"/Windows/*.exe "$prefix"/Windows/*.cpl; do
  [ -e "$program" ] || continue
  for dll in $(imported_dlls "$program" | tr 'A-Z' 'a-z'); do
    [[ $allowed == *" $dll "* ]] || fail "$(basename "$program") imports $dll"
  done
done
exports=$(exported_names "$prefix/Windows/SarnuSettings.cpl")
[ "$exports" = "CPlApplet" ] || fail "SarnuSettings.cpl exports '$exports'"

[ "$problems" -eq 0 ] && echo "install tree: $(wc -l <"$build/shipped_files.txt") files as shipped"
[ "$problems" -eq 0 ]
