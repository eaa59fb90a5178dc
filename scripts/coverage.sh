#!/usr/bin/env bash
# Line and branch coverage of the portable core (core/) by its native tests
# and fuzz smoke runs (the committed corpus and the smoke runs' fixed
# mutations of it): a clang tree with source-based coverage (llvm-cov), the
# sanitizers kept. Prints a table per folder and one per parser of outside
# bytes; tests and fuzz entries themselves are left out.
#   coverage.sh [build folder (build/coverage)]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-$root/build/coverage}
flags="-fprofile-instr-generate -fcoverage-mapping"
CC=clang CXX=clang++ cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Debug -DZV_WINE_TREE= \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
# The tests and smoke runs only; the libFuzzer targets of a clang tree are not needed.
targets=$(cmake --build "$tree" --target help | sed -n 's/^\.\.\. \([a-z0-9_]*\).*/\1/p' | grep -E '_tests$|_fuzz_smoke$')
cmake --build "$tree" -j"$(nproc)" --target $targets >/dev/null
rm -rf "$tree/profiles" && mkdir -p "$tree/profiles"
(cd "$tree" && LLVM_PROFILE_FILE="$tree/profiles/%p.profraw" ctest -L native -j"$(nproc)" >"$tree/ctest.log") ||
  { tail -20 "$tree/ctest.log"; echo "coverage.sh: a test failed" >&2; exit 1; }
llvm-profdata merge -sparse "$tree"/profiles/*.profraw -o "$tree/core.profdata"
objects=()
for program in $(cd "$tree" && ctest -L native --show-only=json-v1 |
                 python3 -c 'import json,sys; [print(t["command"][0]) for t in json.load(sys.stdin)["tests"] if t.get("command") and t["command"][0].startswith("/") and not t["command"][0].endswith(("python3","bash"))]' |
                 sort -u); do
  objects+=(-object "$program")
done
llvm-cov export -summary-only -instr-profile="$tree/core.profdata" "${objects[@]:1}" \
  -ignore-filename-regex='(/tests/|/fuzz/|googletest|/usr/)' > "$tree/summary.json"
python3 - "$tree/summary.json" "$root" <<'PY'
import json, os, sys
data = json.load(open(sys.argv[1]))["data"][0]["files"]
root = sys.argv[2] + "/"
folders, files = {}, {}
for f in data:
    name = os.path.relpath(f["filename"], root)
    if not name.startswith("core/"):
        continue
    s = f["summary"]
    lines, branches = s["lines"], s["branches"]
    files[name] = (lines["covered"], lines["count"], branches["covered"], branches["count"])
    folder = os.path.dirname(name)
    t = folders.setdefault(folder, [0, 0, 0, 0])
    for i, v in enumerate(files[name]):
        t[i] += v

def pct(a, b):
    return f"{100.0 * a / b:5.1f} %" if b else "    -  "

print(f"{'folder':<22} {'lines':>16} {'':>7}  {'branches':>16} {'':>7}")
total = [0, 0, 0, 0]
for folder in sorted(folders):
    t = folders[folder]
    total = [a + b for a, b in zip(total, t)]
    print(f"{folder:<22} {t[0]:>7} / {t[1]:<6} {pct(t[0], t[1])}  {t[2]:>7} / {t[3]:<6} {pct(t[2], t[3])}")
print(f"{'all of core/':<22} {total[0]:>7} / {total[1]:<6} {pct(total[0], total[1])}  {total[2]:>7} / {total[3]:<6} {pct(total[2], total[3])}")
print()
parsers = ["core/imagelib/image_header.cpp", "core/imagelib/png_check.cpp", "core/browser/thumb_cache_format.cpp",
           "core/browser/thumb_index.cpp", "core/browser/listing_facts.cpp", "core/fileops/drop_files.cpp", "core/fileops/scan_dib.cpp",
           "core/copyboard/naming_rule.cpp"]
print("parsers of outside bytes")
for name in parsers:
    if name in files:
        c = files[name]
        print(f"{name:<38} lines {pct(c[0], c[1])}  branches {pct(c[2], c[3])}")
    else:
        print(f"{name:<38} not found")
PY
