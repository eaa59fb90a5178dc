# Shared settings of the project's scripts (sourced, not run).
ZV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ZV_BUILD=${ZV_BUILD:-$ZV_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$ZV_BUILD/wine/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
# Programs under test see the build tree through Wine's Z: drive.
export XDG_DATA_HOME=${XDG_DATA_HOME:-$ZV_BUILD/wine/xdg}

# Which build of the program runs under Wine. The product is 32-bit; a host
# whose kernel cannot execute 32-bit code (no IA-32 emulation) runs the same
# sources built as a 64-bit program with Wine's 64-bit loader instead.
if [ -z "${ZV_ARCH:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then ZV_ARCH=win32; else ZV_ARCH=win64; fi
fi
if [ "$ZV_ARCH" = win32 ]; then ZV_WINE=/usr/lib/wine/wine; else ZV_WINE=/usr/lib/wine/wine64; fi
ZV_WINE_TREE=$ZV_BUILD/$ZV_ARCH

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
