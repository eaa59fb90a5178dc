#!/usr/bin/env bash
# Runs the image library benchmarks natively and, side by side in the same
# run, libvips' tools on the same inputs (when vipsheader/vips are installed:
# Debian libvips-tools). Figures for docs/performance.md.
#   bench-imagelib.sh [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-$root/build/bench}
cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$tree" -j"$(nproc)" --target imagelib_bench >/dev/null
bench=$tree/core/imagelib/imagelib_bench
files=$tree/bench-files
best_of() {  # best wall time in seconds of a command, over 3 runs
  local best=999999 t
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    best=$(echo "if ($t < $best) $t else $best" | bc -l)
  done
  echo "$best"
}

echo "== machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "== CRC-32 and PngCheck"
"$bench" crc 256

# 600 mixed files: 40 distinct pictures (10 per format, 320 to 2000 pixels
# wide), each under 15 names.
if [ ! -f "$files/list.txt" ]; then
  rm -rf "$files" && mkdir -p "$files/src"
  i=0
  for w in 320 480 640 800 1024 1200 1600 1800 2000 1400; do
    h=$((w * 3 / 4))
    convert -size ${w}x${h} gradient:navy-orange -attenuate 0.3 +noise Gaussian "$files/src/p$i.png"
    convert "$files/src/p$i.png" "$files/src/p$i.jpg"
    convert "$files/src/p$i.png" -compress lzw "$files/src/p$i.tif"
    convert "$files/src/p$i.png" bmp3:"$files/src/p$i.bmp"
    i=$((i + 1))
  done
  for f in "$files"/src/*; do
    for n in $(seq 15); do cp "$f" "$files/$n-$(basename "$f")"; done
  done
  ls "$files"/*.* | grep -v list.txt > "$files/list.txt"
fi
count=$(wc -l < "$files/list.txt")
echo "== header probe over $count files"
"$bench" probe "$files/list.txt" 5
vipsheader_rate() {  # list name
  local t n
  n=$(wc -l < "$1")
  t=$(best_of xargs -a "$1" vipsheader)
  echo "vipsheader ($2): $n files in $(echo "$t * 1000" | bc -l | xargs printf '%.1f') ms: $(echo "$n / $t" | bc -l | xargs printf '%.0f') files/s"
}
if command -v vipsheader >/dev/null; then
  vipsheader_rate "$files/list.txt" all
  t=$(best_of vips --version)
  echo "vips process start (vips --version): $(echo "$t * 1000" | bc -l | xargs printf '%.1f') ms"
fi
# By format: libvips reads BMP through its ImageMagick loader, which decodes.
for ext in png jpg tif bmp; do
  grep "\.$ext\$" "$files/list.txt" > "$files/list-$ext.txt"
  printf '%s: ' "$ext"
  "$bench" probe "$files/list-$ext.txt" 5
  if command -v vipsheader >/dev/null; then vipsheader_rate "$files/list-$ext.txt" "$ext"; fi
done

echo "== resampling a 4000 x 3000 picture into a 120 x 80 box"
"$bench" resize 4000 3000 120 80
if command -v vips >/dev/null; then
  big=$tree/bench-big.v
  if [ ! -f "$big" ]; then
    convert -size 4000x3000 gradient:navy-orange -attenuate 0.3 +noise Gaussian -alpha set "$tree/bench-big.png"
    vips copy "$tree/bench-big.png" "$big"
  fi
  scale=$(echo "80 / 3000" | bc -l)
  t=$(best_of vips resize "$big" "$tree/bench-out.v" "$scale" --kernel linear)
  echo "vips resize (linear, .v input): $(echo "$t * 1000" | bc -l | xargs printf '%.1f') ms"
  t=$(best_of vips resize "$big" "$tree/bench-out.v" "$scale" --kernel linear --vips-concurrency=1)
  echo "vips resize (linear, .v input, 1 thread): $(echo "$t * 1000" | bc -l | xargs printf '%.1f') ms"
  t=$(best_of vips resize "$big" "$tree/bench-out.v" "$scale")
  echo "vips resize (default lanczos3, .v input): $(echo "$t * 1000" | bc -l | xargs printf '%.1f') ms"
fi
