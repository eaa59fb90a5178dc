#!/usr/bin/env bash
# Fuzzes the image header parsers, the PNG check and the thumbnail cache
# readers (cache file, index) with libFuzzer, starting
# from the committed seed corpus (copied, so the committed one stays as it
# is). Any crash or sanitizer report fails. Each fuzzer is bounded either by
# time or by a number of inputs; the summary gives inputs, rate and time.
#   fuzz-imagelib.sh [seconds per fuzzer, default 60] [build folder]
#   fuzz-imagelib.sh --runs N [build folder]     e.g. --runs 10000000
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --runs ]; then
  bound=(-runs="${2:?--runs needs a count}")
  what="$2 inputs"
  shift 2
else
  bound=(-max_total_time="${1:-60}")
  what="${1:-60} s"
  shift $(($# > 0 ? 1 : 0))
fi
tree=${1:-$root/build/fuzz}
# Optimised with debug lines, as fuzzers are usually built: about four times
# the inputs per second of -O0, with the same sanitizers.
CC=clang CXX=clang++ cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tree" -j"$(nproc)" --target header_fuzzer png_check_fuzzer thumb_cache_fuzzer thumb_index_fuzzer >/dev/null
status=0
summary=()
for fuzzer in header png_check thumb_cache thumb_index; do
  work=$tree/fuzz-work/$fuzzer
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
  case $fuzzer in
    header) folder=imagelib seeds=header ;;
    png_check) folder=imagelib seeds=png ;;
    *) folder=browser seeds=$fuzzer ;;
  esac
  cp "$root/core/$folder/fuzz/corpus/$seeds"/* "$work/corpus/"
  echo "== $fuzzer: $what"
  start=$(date +%s.%N)
  if ! "$tree/core/$folder/${fuzzer}_fuzzer" "${bound[@]}" -max_len=65536 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" -print_final_stats=1 "$work/corpus" \
      > "$work/log.txt" 2>&1; then
    echo "$fuzzer FAILED: see $work/log.txt and $work/artifacts" >&2
    status=1
  fi
  seconds=$(echo "$(date +%s.%N) - $start" | bc -l)
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE' "$work/log.txt" || tail -5 "$work/log.txt"
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt")
  summary+=("$(printf '%-10s %12s inputs in %7.1f s: %8.0f inputs/s, corpus %s' "$fuzzer" "${units:-?}" "$seconds" \
    "$(echo "${units:-0} / $seconds" | bc -l)" "$(ls "$work/corpus" | wc -l)")")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
