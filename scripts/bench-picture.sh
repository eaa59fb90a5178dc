#!/usr/bin/env bash
# Picture view benchmark under Wine (browser/bench/picture_bench.cpp): the
# real file list view in a 1000 x 700 window on six 12 MP scans (4000 x 3000,
# the benchmark pictures' largest, under six names), JPEG and then PNG:
# decode from the file, next without and with read-ahead, zoom, turn and
# mirror. Figures for docs/performance.md; not a test, CTest does not run it.
#   bench-picture.sh [steps (12)]
# Uses the build of $ZV_BUILD (default build/); build it first with scripts/build.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-pictures.sh"
steps=${1:-12}
cmake --build "$ZV_WINE_TREE" --target picture_bench >/dev/null
bench=$ZV_WINE_TREE/browser/picture_bench.exe
src=$ZV_BUILD/bench-listing/src  # the listing benchmark's 40 pictures
data=$ZV_BUILD/bench-picture
make_bench_pictures "$src"
bash "$ZV_ROOT/scripts/wine-env.sh" start
for ext in jpg png; do
  folder=$data/$ext
  rm -rf "$folder" && mkdir -p "$folder"
  for n in 1 2 3 4 5 6; do cp "$src/p9.$ext" "$folder/scan$n.$ext"; done
  echo "== 12 MP $ext =="
  bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" "Z:${folder//\//\\}" "$steps" </dev/null 2>/dev/null
done
