#!/usr/bin/env bash
# Thumbnail benchmark under Wine: for PNG, JPEG, LZW TIFF and BMP at about
# 1 and 12 megapixels, the old chain's steps (decode = LoadPicture, convert =
# ConvertTo32Bits, resample = FitPictureIntoBox) and the whole old chain
# against MakeThumbnail, side by side in one process; then thumbnails per
# second of ThumbWorkers with one thread against all cores, over the same
# 100 mixed 1-12 megapixel files. Figures for docs/performance.md; not a
# test, CTest does not run it.
#   bench-thumbnails.sh [runs (5)] [pool runs (3)]
# Uses the build of $ZV_BUILD (default build/); build it first with scripts/build.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-pictures.sh"
runs=${1:-5}
poolRuns=${2:-3}
cmake --build "$ZV_WINE_TREE" --target thumb_bench >/dev/null
bench=$ZV_WINE_TREE/browser/thumb_bench.exe
src=$ZV_BUILD/bench-listing/src  # the listing benchmark's pictures
make_bench_pictures "$src"
win() { local p=$1; echo "Z:${p//\//\\}"; }

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(wine --version 2>/dev/null || true); $ZV_ARCH build"
echo "== load average before: $(cut -d' ' -f1-3 /proc/loadavg) (the machine is shared: other jobs take CPU too)"
bash "$ZV_ROOT/scripts/wine-env.sh" start
steps=()
for ext in png jpg tif bmp; do
  for p in p0 p9; do steps+=("$(win "$src/$p.$ext")"); done
done
echo "== one thumbnail into 120 x 80, $runs runs after one uncounted"
bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" steps "$runs" "${steps[@]}" </dev/null 2>/dev/null
# 100 files: the 40 pictures in turn (formats and sizes mixed).
mapfile -t pictures < <(ls "$src"/p*.* | sort -V)
pool=()
for n in $(seq 0 99); do pool+=("$(win "${pictures[$((n * 7 % ${#pictures[@]}))]}")"); done
threads=$(nproc)
[ "$threads" -lt 2 ] && threads=2
echo "== ThumbWorkers over 100 mixed files: 1 thread against $threads, in turns, $poolRuns runs after one uncounted"
bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" pool "$poolRuns" "$threads" "${pool[@]}" </dev/null 2>/dev/null
echo "== load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
