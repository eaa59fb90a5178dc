#!/usr/bin/env bash
# Listing benchmark: a folder of mixed images (PNG, JPEG, BMP, LZW TIFF of 1
# to 12 megapixels) listed in list mode under Wine, the old way (one serial
# loop, one shell icon lookup per file, the PNG check as it was) and the new
# way (the real file list view) taking turns in one process; each listing
# reports where the time went (enumeration, records, header probing, file
# size and time, shell icons, sorting, rows), then min and median of each
# way. A second, traced run of the new way counts the file opens per listed
# file and the WIC decoders created (there must be none: list mode never
# decodes a picture). Figures for docs/performance.md; not a test, CTest
# does not run it.
#   bench-listing.sh [files (1000)] [runs (5)]
# Uses the build of $ZV_BUILD (default build/); build it first with scripts/build.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"
count=${1:-1000}
runs=${2:-5}
cmake --build "$ZV_WINE_TREE" --target listing_bench >/dev/null
bench=$ZV_WINE_TREE/browser/listing_bench.exe
data=$ZV_BUILD/bench-listing
src=$data/src
folder=$data/files-$count

source "$(dirname "$0")/bench-pictures.sh"
sizes=$bench_picture_sizes
make_bench_pictures "$src"
make_bench_folder "$src" "$folder" "$count"
bytes=$(du -sbL --apparent-size "$src" | cut -f1)
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(wine --version 2>/dev/null || true); $ZV_ARCH build"
echo "== load average before: $(cut -d' ' -f1-3 /proc/loadavg) (the machine is shared: other jobs take CPU too)"
echo "== $count files in $folder (40 distinct pictures, $((bytes / 1048576)) MiB)"
for s in $sizes; do echo -n "$s "; done; echo

bash "$ZV_ROOT/scripts/wine-env.sh" start
winfolder="Z:${folder//\//\\}"
echo "== old and new way in turns, one uncounted listing of each first, then $runs each; milliseconds"
bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" "$winfolder" "$runs" both </dev/null 2>/dev/null
echo "== load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== by format: the same files, one format per folder (3 listings of each way); min and median"
for ext in png jpg tif bmp; do
  part=$folder-$ext
  if [ ! -d "$part" ]; then
    mkdir -p "$part.tmp"
    for f in "$folder"/*."$ext"; do ln "$f" "$part.tmp/"; done
    mv "$part.tmp" "$part"
  fi
  echo "-- $ext: $(ls "$part" | wc -l) files, $(( $(du -sb --apparent-size "$src"/p*."$ext" | awk '{s += $1} END {print s}') / 1048576 )) MiB distinct"
  bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" "Z:${part//\//\\}" 3 both </dev/null 2>/dev/null |
    grep -E '^(old|new),(total|records|probe|fileinfo|icons),'
done

echo "== traced listing (new way): file opens per listed file, WIC decoders created"
trace=$data/trace.txt
WINEDEBUG=+file,+wincodecs bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" "$winfolder" 1 new </dev/null >/dev/null 2>"$trace"
base=${folder##*/}
for ext in png jpg tif bmp; do
  opens=$(grep 'trace:file:NtCreateFile' "$trace" | grep -c "$base\\\\\\\\IMG_[0-9]*\\.$ext\"" || true)
  files=$(ls "$folder" | grep -c "\\.$ext\$" || true)
  echo "$ext: $files files, $opens opens ($(echo "scale=2; $opens / $files" | bc) per file)"
done
echo "decoders created: $(grep -c 'ImagingFactory_CreateDecoder' "$trace" || true)"
