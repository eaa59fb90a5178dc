#!/usr/bin/env bash
# Fuzzes every libFuzzer entry of the core (core/*/fuzz/<entry>_fuzz.cpp:
# image headers, PNG check, thumbnail cache file and index, the listing's
# record file, drop files, scan DIBs, the naming settings) one after the
# other, starting from the corpus committed beside each entry (copied, so a
# run works on its own copy). Any crash or sanitizer report fails. With ZV_FUZZ_KEEP=1 the inputs that reach
# code the committed corpus does not are merged into it afterwards
# (libFuzzer's -merge=1, the smallest input per feature; `git status` shows
# them). Keep only the few that matter: every ctest run's smoke test goes
# over the whole committed corpus with 3000 mutations per input.
#   fuzz.sh [seconds per entry, default 60] [build folder]
#   fuzz.sh --runs N [build folder]     e.g. --runs 10000000
#   ZV_FUZZ_ENTRIES="scan_dib drop_files" fuzz.sh 300   only these entries
#   ZV_FUZZ_KEEP=1 fuzz.sh ...                          merge new inputs into the corpus
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

# entry -> "<core folder> <corpus folder>"
declare -A entries=(
  [header]="imagelib header" [png_check]="imagelib png"
  [thumb_cache]="browser thumb_cache" [thumb_index]="browser thumb_index"
  [listing_facts]="browser listing_facts"
  [drop_files]="fileops drop_files" [scan_dib]="fileops scan_dib"
  [naming_rule]="copyboard naming_rule"
)
# Every entry in the sources must be listed above.
for source in "$root"/core/*/fuzz/*_fuzz.cpp; do
  entry=$(basename "$source" _fuzz.cpp)
  [ -n "${entries[$entry]:-}" ] || { echo "fuzz.sh: $source has no corpus listed here" >&2; exit 2; }
done
order=(header png_check thumb_cache thumb_index listing_facts drop_files scan_dib naming_rule)
selected=(${ZV_FUZZ_ENTRIES:-${order[@]}})

# Optimised with debug lines, as fuzzers are usually built: about four times
# the inputs per second of -O0, with the same sanitizers.
CC=clang CXX=clang++ cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$tree" -j"$(nproc)" --target "${selected[@]/%/_fuzzer}" >/dev/null
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $what per entry, load average $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
summary=()
for fuzzer in "${selected[@]}"; do
  read -r folder seeds <<<"${entries[$fuzzer]}"
  corpus=$root/core/$folder/fuzz/corpus/$seeds
  work=$tree/fuzz-work/$fuzzer
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
  cp "$corpus"/* "$work/corpus/"
  binary=$tree/core/$folder/${fuzzer}_fuzzer
  echo "== $fuzzer: $what"
  start=$(date +%s.%N)
  if ! "$binary" "${bound[@]}" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" \
      -print_final_stats=1 "$work/corpus" > "$work/log.txt" 2>&1; then
    echo "$fuzzer FAILED: see $work/log.txt and $work/artifacts" >&2
    status=1
  fi
  seconds=$(echo "$(date +%s.%N) - $start" | bc -l)
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE' "$work/log.txt" || tail -5 "$work/log.txt"
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt")
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$work/log.txt" | tail -1)
  added=0
  if [ "${ZV_FUZZ_KEEP:-0}" = 1 ]; then
    before=$(ls "$corpus" | wc -l)
    "$binary" -merge=1 -max_len=65536 "$corpus" "$work/corpus" > "$work/merge.txt" 2>&1 || true
    added=$(($(ls "$corpus" | wc -l) - before))
  fi
  summary+=("$(printf '%-11s %12s inputs in %7.1f s: %8.0f inputs/s, %s, %s new corpus entries' "$fuzzer" \
    "${units:-?}" "$seconds" "$(echo "${units:-0} / $seconds" | bc -l)" "${coverage:-?}" "$added")")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
