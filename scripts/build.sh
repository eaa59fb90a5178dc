#!/usr/bin/env bash
# Configures and builds the three trees: native (portable core and its tests),
# win32 (the shipped 32-bit ZViewer.exe) and win64 (the same sources as 64-bit,
# run under Wine where the host cannot execute 32-bit code); then the help
# file (build/help/ZVHelp.chm, scripts/make-help.sh).
set -euo pipefail
source "$(dirname "$0")/common.sh"
jobs=$(nproc)
configure() {  # configure <tree> [cmake args...]
  local tree=$1; shift
  cmake -S "$ZV_ROOT" -B "$ZV_BUILD/$tree" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}
configure win32 -DCMAKE_TOOLCHAIN_FILE="$ZV_ROOT/cmake/mingw-i686.cmake"
cmake --build "$ZV_BUILD/win32" -j"$jobs" --target ZViewer
if [ "$ZV_ARCH" = win64 ]; then
  configure win64 -DCMAKE_TOOLCHAIN_FILE="$ZV_ROOT/cmake/mingw-x86_64.cmake"
  cmake --build "$ZV_BUILD/win64" -j"$jobs"
else
  cmake --build "$ZV_BUILD/win32" -j"$jobs"
fi
configure native -DCMAKE_BUILD_TYPE=Debug -DZV_WINE_TREE="$ZV_WINE_TREE"
cmake --build "$ZV_BUILD/native" -j"$jobs"
bash "$ZV_ROOT/scripts/make-help.sh" >/dev/null
