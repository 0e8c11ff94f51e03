# Shared by scripts/test and scripts/demo: paths, package installation, the
# Wine environment of the simulated terminal.

SARNU_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SARNU_BUILD=${SARNU_BUILD:-$SARNU_TOP/build}
SARNU_JOBS=${SARNU_JOBS:-2}
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# Debian packages the builds and tests need; installed only when missing.
SARNU_PACKAGES=(cmake make g++ clang lld llvm python3 libclang-rt-14-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools wine64 xvfb xauth imagemagick
  x11-xkb-utils xkb-data gcab cabextract libxml2-utils binutils-source flex bison qemu-user)

log() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
  local missing=()
  for p in "${SARNU_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The Wine environment of one build's prefix (the terminal's disk and registry).
wine_env() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Makes the prefix once, with a virtual desktop so that windows paint and
# close without a window manager; then keeps one wineserver alive.
wine_start() {
  wine_env "$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "making Wine prefix $WINEPREFIX"
    "$WINE64" wineboot --init </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
  fi
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE64" cmd /c exit 0 </dev/null >/dev/null 2>&1
}

wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
  return 0
}

configure_host() {  # dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$SARNU_TOP" -B "$dir" "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log" >&2; return 1; }
}

configure_win() {  # dir, extra cmake args...; SARNU_TOOLCHAIN picks another MinGW
  local dir=$1; shift
  cmake -S "$SARNU_TOP" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$SARNU_TOP/cmake/${SARNU_TOOLCHAIN:-mingw-w64}.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log" >&2; return 1; }
}

build_dir() {  # dir [targets...]
  local dir=$1; shift
  local args=()
  for t in "$@"; do args+=(--target "$t"); done
  cmake --build "$dir" -j"$SARNU_JOBS" "${args[@]}" >"$dir.build.log" 2>&1 || { tail -40 "$dir.build.log" >&2; return 1; }
}
