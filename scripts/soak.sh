#!/usr/bin/env bash
# The soak: a resident copy and its browser under Wine while the simulated
# board is pulled out and plugged in N times (tests/wine/soak_test.cpp); the
# browser's and the resident copy's private memory, handles, windows and GDI
# objects are sampled every cycle and must stay within their bounds after
# the first 20 cycles. CTest runs the same program with 20 cycles.
#   soak.sh [cycles (300)] [table.csv]
# With a table, it ends with a Markdown summary of it (docs/reliability.md).
# Runs in a rig of its own (build/soak: prefix, display, wineserver), so the
# tests of build/ can run meanwhile. Build first with scripts/build.sh.
set -euo pipefail
cycles=${1:-300}
table=${2:-}
source "$(dirname "$0")/common.sh"
tree=$ZV_WINE_TREE
export ZV_BUILD=$ZV_BUILD/soak
export WINEPREFIX=$ZV_BUILD/wine/prefix XDG_DATA_HOME=$ZV_BUILD/wine/xdg ZV_ARCH
mkdir -p "$ZV_BUILD/bin"
cp "$tree/ZViewer.exe" "$tree/tests/wine/soak_tests.exe" "$ZV_BUILD/bin/"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
export ZV_EXE=$(winpath "$ZV_BUILD/bin/ZViewer.exe") ZV_SOAK_CYCLES=$cycles
[ -n "$table" ] && export ZV_SOAK_TABLE=$(winpath "$(realpath -m "$table")")
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'): $cycles cycles, $ZV_ARCH build, load average $(cut -d' ' -f1-3 /proc/loadavg)"
bash "$ZV_ROOT/scripts/wine-env.sh" start
trap 'bash "$ZV_ROOT/scripts/wine-env.sh" stop' EXIT
status=0
bash "$ZV_ROOT/scripts/wine-env.sh" exec "$ZV_BUILD/bin/soak_tests.exe" --gtest_filter='Soak.*' </dev/null || status=$?
echo "== $(date -u '+%Y-%m-%d %H:%M UTC'): done, load average $(cut -d' ' -f1-3 /proc/loadavg)"
[ -n "$table" ] && [ -f "$table" ] && python3 "$ZV_ROOT/scripts/soak-table.py" "$table"
exit $status
