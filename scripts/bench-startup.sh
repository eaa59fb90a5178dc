#!/usr/bin/env bash
# Start-up benchmark: the old build's ZViewer.exe and this one, in turns,
# started on a cached folder of 1,000 pictures (those of bench-listing.sh)
# until the grid's first screenful is painted (tests/wine/startup_bench.cpp),
# with this build's step trace of where the time went. Figures for
# docs/performance.md; not a test.
#   ZV_OLD_EXE=<old build>/win32/ZViewer.exe bench-startup.sh [rounds (5)] [files (1000)]
# The first run fills the thumbnail cache once (minutes); later runs reuse it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-pictures.sh"
rounds=${1:-5}
count=${2:-1000}
old=${ZV_OLD_EXE:?set ZV_OLD_EXE to the old build of ZViewer.exe}
cmake --build "$ZV_WINE_TREE" --target ZViewer startup_bench >/dev/null
src=$ZV_BUILD/bench-listing/src
folder=$ZV_BUILD/bench-listing/files-$count
make_bench_pictures "$src"
make_bench_folder "$src" "$folder" "$count"
work=$ZV_BUILD/bench-startup
mkdir -p "$work"
win() { local p=$1; echo "Z:${p//\//\\}"; }
bash "$ZV_ROOT/scripts/wine-env.sh" start
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs; $ZV_ARCH build; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
bash "$ZV_ROOT/scripts/wine-env.sh" exec "$ZV_WINE_TREE/tests/wine/startup_bench.exe" "$(win "$work")" "$(win "$folder")" \
  "$rounds" "old=$(win "$old")" "new=$(win "$ZV_WINE_TREE/ZViewer.exe")" </dev/null 2>/dev/null
echo "== load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
