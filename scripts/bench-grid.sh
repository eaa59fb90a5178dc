#!/usr/bin/env bash
# Thumbnail grid benchmark under Wine (browser/bench/grid_bench.cpp), the
# real file list view in light mode, small box, in a 1000 x 700 window:
#  1. 1,000 mixed 1-12 MP pictures (the listing benchmark's folder): made
#     cold (first screenful, all), then reopened from the thumbnail cache;
#     side by side, vipsthumbnail --size 120x80 natively over the same files
#     (Debian libvips-tools, installed here for the benchmark only; it is no
#     dependency of the project);
#  2. a cold fill while a second process sends WM_NULL to the grid every
#     10 ms, and page-downs timed during and after it;
#  3. 20,000 small pictures (hard links) in each box size: cell states,
#     windows, GDI objects, handles, private memory; folder switches; with
#     ZV_OLD_GRID_BENCH set, that build runs each box too, just before this one.
#  4. (parts "delete") the same folder cached in the large box, sorted, then
#     Delete: time to the shell's confirmation; with ZV_OLD_GRID_BENCH set to
#     another build's grid_bench.exe, that build runs it too, side by side.
#  5. (parts "scale") folders of 1,000, 10,000 and 100,000 small pictures in
#     list mode: listing, select all, sort, one file deleted, switch to
#     thumbnails; with ZV_OLD_GRID_BENCH the other build too, in turns
#     (old, new, old, new, ...), `reopens` passes of each.
#  6. (parts "listing") the 1,000 mixed pictures listed in list mode until
#     painted, old and new build in turns, `reopens` turns of 3 listings.
#  7. (parts "cached") folders shown again from their thumbnail cache: the
#     1,000 mixed pictures after an empty folder (`reopens` times a turn) and
#     the large folder after the 10-file one (`switches` times a turn), old
#     and new build in turns, ZV_TURNS (2) turns each. This build makes the
#     thumbnails once; the old build (ZV_OLD_GRID_BENCH) gets hard links to
#     the same cache files, whose format both share.
#  8. (parts "respond") part 2 alone, with ZV_OLD_GRID_BENCH old and new
#     build in turns, `reopens` turns of each; with ZV_WORKERS_NICE set, the
#     workers get that Linux niceness 12 s into each fill.
# Figures for docs/performance.md; not a test, CTest does not run it.
#   bench-grid.sh [reopens (10)] [switches (100)] [large folder files (20000)] [parts (all, many, delete, scale, listing, cached or respond)]
# Uses the build of $ZV_BUILD (default build/); build it first with scripts/build.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-pictures.sh"
reopens=${1:-10}
switches=${2:-100}
large=${3:-20000}
parts=${4:-all}
cmake --build "$ZV_WINE_TREE" --target grid_bench >/dev/null
bench=$ZV_WINE_TREE/browser/grid_bench.exe
thumbs=$ZV_WINE_TREE/browser/Thumbs  # ThumbCacheStore's folder beside the exe
src=$ZV_BUILD/bench-listing/src      # the listing benchmark's 40 pictures
data=$ZV_BUILD/bench-grid
win() { local p=$1; echo "Z:${p//\//\\}"; }
run() { bash "$ZV_ROOT/scripts/wine-env.sh" exec "$bench" "$@" </dev/null 2>/dev/null; }
# links <folder> <count> <pictures...>: `count` names, hard links to the pictures in turn
links() {
  local folder=$1 count=$2; shift 2
  [ -d "$folder" ] && return 0
  python3 - "$folder.tmp" "$count" "$@" <<'EOF'
import os, sys
folder, count, pictures = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
os.makedirs(folder, exist_ok=True)
for n in range(count):
    p = pictures[n % len(pictures)]
    os.link(p, os.path.join(folder, "IMG_%05d%s" % (n, os.path.splitext(p)[1])))
EOF
  mv "$folder.tmp" "$folder"
}

thousand=$ZV_BUILD/bench-listing/files-1000  # the same names as bench-listing.sh makes
if [ "$parts" != scale ] && [ "$parts" != many ]; then  # these parts use the small pictures only
  if [ "$parts" = all ] && ! command -v vipsthumbnail >/dev/null; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq libvips-tools >/dev/null
  fi
  make_bench_pictures "$src"
  mapfile -t pictures < <(ls "$src"/p*.*)
  links "$thousand" 1000 "${pictures[@]}"
fi
mkdir -p "$data/empty"
# The large folder: 8 small pictures (320 x 240, two of each format) under
# `large` names; the small folder: 10 names.
if [ ! -f "$data/small-src/.done" ]; then
  rm -rf "$data/small-src" && mkdir -p "$data/small-src"
  for i in 0 1; do
    convert -size 320x240 gradient:white-gray$((40 + 20 * i)) -attenuate 0.15 +noise Gaussian -depth 8 "$data/small-src/s$i.png"
    convert "$data/small-src/s$i.png" -quality 85 "$data/small-src/s$i.jpg"
    convert "$data/small-src/s$i.png" -compress lzw "$data/small-src/s$i.tif"
    convert "$data/small-src/s$i.png" bmp3:"$data/small-src/s$i.bmp"
  done
  touch "$data/small-src/.done"
fi
case $parts in scale | respond | listing) ;; *) links "$data/files-$large" "$large" "$data"/small-src/s*.* ;; esac
links "$data/files-10" 10 "$data"/small-src/s*.*

bash "$ZV_ROOT/scripts/wine-env.sh" start
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'); $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(wine --version 2>/dev/null || true); $ZV_ARCH build"
echo "== load average before: $(cut -d' ' -f1-3 /proc/loadavg) (the machine is shared: other jobs take CPU too)"
started=$(date +%s)

if [ "$parts" = all ]; then
echo "== 1,000 mixed 1-12 MP pictures: cold, then reopened from the cache ($reopens counted reopens)"
rm -rf "$thumbs"
run thousand "$(win "$thousand")" "$(win "$data/empty")" "$reopens"
echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== vipsthumbnail --size 120x80 over the same 1,000 files, natively ($(vips --version))"
out=$data/vips-out
rm -rf "$out" && mkdir -p "$out"
start=$(date +%s.%N)
(cd "$thousand" && ls | xargs vipsthumbnail --size 120x80 -o "$out/%s.jpg")
end=$(date +%s.%N)
made=$(ls "$out" | wc -l)
echo "vipsthumbnail: $made thumbnails in $(echo "$end - $start" | bc -l | xargs printf '%.2f') s ($(echo "$made / ($end - $start)" | bc -l | xargs printf '%.1f')/s)"
echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== responsiveness during a cold fill of the 1,000"
rm -rf "$thumbs"
run respond "$(win "$thousand")" "$(win "$data/empty")"
echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"

fi
if [ "$parts" = scale ]; then
  echo "== time per item from 1,000 to 100,000 files, list mode; $reopens passes of each build in turns"
  echo "build,files,list ms,select all ms,sort ms,delete one ms,to thumbnails ms"
  for n in 1000 10000 100000; do
    links "$data/files-$n" "$n" "$data"/small-src/s*.*
    ls -f "$data/files-$n" >/dev/null
    mkdir -p "$data/side"
    for pass in $(seq "$reopens"); do
      old=${ZV_OLD_GRID_BENCH:-}
      # The old build selects rows one by one, each scrolled into view: up to
      # a minute per 1,000 on a shared machine, so it runs up to ZV_OLD_SCALE_MAX files.
      [ "$n" -le "${ZV_OLD_SCALE_MAX:-1000}" ] || old=
      for exe in $old "$bench"; do
        tag=new; [ "$exe" = "$bench" ] || tag=old
        bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" scale "$(win "$data/files-$n")" "$(win "$data/side")" </dev/null 2>/dev/null |
          sed -n "s/^scale,/$tag,/p"
      done
    done
    echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
  done
  exit 0
fi
if [ "$parts" = cached ]; then
  old=${ZV_OLD_GRID_BENCH:-}
  echo "== this build makes (or finds) the thumbnails of all three folders, small box"
  run cached "$(win "$thousand")" "$(win "$data/empty")" 1 | sed -n 's/^/warm,/p'
  run cached "$(win "$data/files-$large")" "$(win "$data/files-10")" 1 | sed -n 's/^/warm,/p'
  if [ -n "$old" ]; then
    # Hard links: a save replaces a file by renaming a new one over it, so
    # neither build changes the other's files. The listing records are this
    # build's own.
    rm -rf "$(dirname "$old")/Thumbs" && cp -al "$thumbs" "$(dirname "$old")/Thumbs"
    rm -f "$(dirname "$old")"/Thumbs/*.rec
  fi
  echo "build,files,ms,listing ms,made,enumerate ms,records ms,sort ms,rows and icons ms,look-ups ms,of them facts ms"
  for turn in $(seq "${ZV_TURNS:-2}"); do
    for exe in $old "$bench"; do
      tag=new; [ "$exe" = "$bench" ] || tag=old
      bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" cached "$(win "$thousand")" "$(win "$data/empty")" "$reopens" \
        </dev/null 2>/dev/null | sed -n "s/^cached,/$tag,/p"
      bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" cached "$(win "$data/files-$large")" "$(win "$data/files-10")" \
        "$switches" </dev/null 2>/dev/null | sed -n "s/^cached,/$tag,/p"
    done
    echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
  done
  exit 0
fi
if [ "$parts" = listing ]; then
  echo "== 1,000 mixed 1-12 MP files listed in list mode, to painted; $reopens turns of 3 listings per build"
  for pass in $(seq "$reopens"); do
    for exe in ${ZV_OLD_GRID_BENCH:-} "$bench"; do
      tag=new; [ "$exe" = "$bench" ] || tag=old
      bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" listing "$(win "$thousand")" "$(win "$data/empty")" 3 </dev/null 2>/dev/null |
        sed -n "s/^listing,/$tag,/p"
    done
  done
  echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit 0
fi
# renice_workers <niceness>: 12 s into the fill, the two threads of the
# respond process with the most CPU time so far (the thumbnail workers) get
# that Linux niceness: what Windows does with their below-normal priority,
# which Wine 8 does not pass on. ZV_WORKERS_NICE=19 bench-grid.sh ... respond.
renice_workers() {
  sleep 12
  local pid tid
  pid=$(pgrep -o -x grid_bench.exe) || return 0  # the oldest: respond, not the probe it starts
  for tid in $(for t in /proc/"$pid"/task/*; do echo "$(awk '{print $14 + $15}' "$t/stat") ${t##*/}"; done |
               sort -rn | head -2 | cut -d' ' -f2); do
    renice -n "$1" -p "$tid" >/dev/null && echo "(thread $tid at niceness $1)"
  done
}
if [ "$parts" = respond ]; then
  echo "== responsiveness during a cold fill of the 1,000 mixed pictures; $reopens turns of each build"
  for pass in $(seq "$reopens"); do
    for exe in ${ZV_OLD_GRID_BENCH:-} "$bench"; do
      tag=new; [ "$exe" = "$bench" ] || tag=old
      rm -rf "$(dirname "$exe")/Thumbs"
      echo "== $tag, turn $pass; load average $(cut -d' ' -f1-3 /proc/loadavg)"
      bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" respond "$(win "$thousand")" "$(win "$data/empty")" </dev/null 2>/dev/null |
        sed "s/^/$tag: /" &
      [ -n "${ZV_WORKERS_NICE:-}" ] && renice_workers "$ZV_WORKERS_NICE"
      wait
      rm -rf "$(dirname "$exe")/Thumbs"
    done
  done
  echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg); total run time: $(( $(date +%s) - started )) s"
  exit 0
fi
if [ "$parts" = delete ]; then
  for exe in ${ZV_OLD_GRID_BENCH:-} "$bench"; do
    echo "== $large small pictures, box size 2, delete to confirmation: $exe"
    rm -rf "$(dirname "$exe")/Thumbs"
    bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" delete "$(win "$data/files-$large")" "$(win "$data/empty")" 2 5 </dev/null 2>/dev/null
    rm -rf "$(dirname "$exe")/Thumbs"
  done
  echo "== total run time: $(( $(date +%s) - started )) s"
  exit 0
fi
for size in 0 1 2; do
  # With ZV_OLD_GRID_BENCH the other build first, then this one, in each box.
  for exe in ${ZV_OLD_GRID_BENCH:-} "$bench"; do
    tag=new; [ "$exe" = "$bench" ] || tag=old
    echo "== $large small pictures, box size $size ($tag: $exe)"
    rm -rf "$(dirname "$exe")/Thumbs"
    n=0
    [ "$size" = 0 ] && n=$switches  # the switches once, in the smallest box
    bash "$ZV_ROOT/scripts/wine-env.sh" exec "$exe" many "$(win "$data/files-$large")" "$(win "$data/files-10")" "$size" "$n" </dev/null 2>/dev/null
    rm -rf "$(dirname "$exe")/Thumbs"
    echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
  done
done
echo "== total run time: $(( $(date +%s) - started )) s"
