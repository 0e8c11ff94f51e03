#!/bin/bash
# Builds GNU binutils for arm-mingw32ce (as, ld, dlltool, windres) from
# Debian's binutils-source into PREFIX, once: the ARMV4I images need the
# ARM PE (0x1C2) target that neither lld nor Debian's binutils provide.
# Usage: build-ce-binutils.sh PREFIX
set -eu
prefix=$(realpath -m "$1")
[ -x "$prefix/bin/arm-mingw32ce-ld" ] && [ -x "$prefix/bin/arm-mingw32ce-dlltool" ] && exit 0
tarball=$(ls /usr/src/binutils/binutils-*.tar.xz | head -1)
[ -f "$tarball" ] || { echo "binutils-source is not installed" >&2; exit 1; }
work=$prefix.work
rm -rf "$work" && mkdir -p "$work/b"
tar -C "$work" -xf "$tarball"
src=$(ls -d "$work"/binutils-*/ | head -1)
cd "$work/b"
"$src/configure" --target=arm-mingw32ce --prefix="$prefix" --disable-nls --disable-werror \
  --disable-gdb --disable-gdbserver --disable-sim --disable-gprof --disable-gprofng --disable-gold \
  --disable-libctf --disable-readline --disable-libdecnumber --without-zstd >configure.log 2>&1
make -j"$(nproc)" MAKEINFO=true all-binutils all-gas all-ld >make.log 2>&1
make MAKEINFO=true install-binutils install-gas install-ld >install.log 2>&1
rm -rf "$work"
