#!/usr/bin/env bash
# Old build against this one, in turns (old, new, old, new, ...), so that
# both see the same load on a shared machine: ThumbWorkers with one thread
# against all cores over 100 mixed 1-12 MP files (thumb_bench pool; the files in turn, formats and sizes mixed), and the
# picture view on 12 MP scans (picture_bench: decode, zoom, turn). Figures
# for docs/performance.md; not a test.
#   ZV_OLD_TREE=<old win32 build tree> bench-old-new.sh [rounds (3)] [pool|picture|all] [pool files (100)] [picture steps (12)]
# The old tree needs the targets thumb_bench and picture_bench built.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-pictures.sh"
rounds=${1:-3}
parts=${2:-all}
poolFiles=${3:-100}
steps=${4:-12}
old=${ZV_OLD_TREE:?set ZV_OLD_TREE to the old build tree}
cmake --build "$ZV_WINE_TREE" --target thumb_bench picture_bench >/dev/null
src=$ZV_BUILD/bench-listing/src
make_bench_pictures "$src"
win() { local p=$1; echo "Z:${p//\//\\}"; }
run() { bash "$ZV_ROOT/scripts/wine-env.sh" exec "$@" </dev/null 2>/dev/null; }
bash "$ZV_ROOT/scripts/wine-env.sh" start
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$parts" != picture ]; then
  mapfile -t pictures < <(ls "$src"/p*.* | sort -V)
  pool=()
  for n in $(seq 0 $((poolFiles - 1))); do pool+=("$(win "${pictures[$((n * 7 % ${#pictures[@]}))]}")"); done
  threads=$(nproc)
  [ "$threads" -lt 2 ] && threads=2
  for r in $(seq 1 "$rounds"); do
    for tree in "$old" "$ZV_WINE_TREE"; do
      echo "== pool, round $r, $([ "$tree" = "$old" ] && echo old || echo new) ($(cut -d' ' -f1 /proc/loadavg))"
      run "$tree/browser/thumb_bench.exe" pool 1 "$threads" "${pool[@]}"
    done
  done
fi
if [ "$parts" != pool ]; then
  folder=$ZV_BUILD/bench-picture/jpg
  rm -rf "$folder" && mkdir -p "$folder"
  for n in 1 2 3 4 5 6; do cp "$src/p9.jpg" "$folder/scan$n.jpg"; done
  for r in $(seq 1 "$rounds"); do
    for tree in "$old" "$ZV_WINE_TREE"; do
      echo "== picture, 12 MP JPEG, round $r, $([ "$tree" = "$old" ] && echo old || echo new) ($(cut -d' ' -f1 /proc/loadavg))"
      run "$tree/browser/picture_bench.exe" "$(win "$folder")" "$steps"
    done
  done
fi
echo "== load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
