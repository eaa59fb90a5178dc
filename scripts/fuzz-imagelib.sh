#!/usr/bin/env bash
# Fuzzes the image header parsers and the PNG check with libFuzzer for a
# bounded time each, starting from the committed seed corpus (copied, so the
# committed one stays as it is). Any crash or sanitizer report fails.
#   fuzz-imagelib.sh [seconds per fuzzer, default 60] [build folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
tree=${2:-$root/build/fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$tree" -j"$(nproc)" --target header_fuzzer png_check_fuzzer >/dev/null
status=0
for fuzzer in header png_check; do
  work=$tree/fuzz-work/$fuzzer
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
  seeds=header
  [ $fuzzer = png_check ] && seeds=png
  cp "$root/core/imagelib/fuzz/corpus/$seeds"/* "$work/corpus/"
  echo "== $fuzzer: $seconds s"
  if ! "$tree/core/imagelib/${fuzzer}_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" \
      > "$work/log.txt" 2>&1; then
    echo "$fuzzer FAILED: see $work/log.txt and $work/artifacts" >&2
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE' "$work/log.txt" || tail -5 "$work/log.txt"
done
exit $status
